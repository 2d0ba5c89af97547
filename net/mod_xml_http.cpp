#include "net/mod_xml_http.h"

#include "download/file_transfer.h"
#include "net/mod_xml_http_private.h"

#include <QFile>
#include <QUrl>

#include <algorithm>

namespace tavimo {

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

WaitEnd ModXmlHttp::Private::wait(HttpReply *reply)
{
    ReplyWait wait(reply, stallTimeoutMs);
    waits.append(&wait);
    const WaitEnd end = wait.run();
    waits.removeOne(&wait);
    return end;
}

ModXmlHttp::ModXmlHttp(QObject *parent) : QObject(parent), d(new Private) {}

ModXmlHttp::~ModXmlHttp()
{
    cancelAll();
    // A file being committed gets its name before the program goes.
    d->commits.waitForDone();
    // Transfers still open (their end was queued) use d as they go.
    qDeleteAll(findChildren<FileTransfer *>(Qt::FindDirectChildrenOnly));
    delete d;
}

CookieStore &ModXmlHttp::cookies() { return d->engine.cookies(); }

void ModXmlHttp::setProxy(const QString &address) { d->engine.setProxy(address.toUtf8()); }

void ModXmlHttp::setCertificateAuthorities(const QString &file) { d->engine.setCertificateAuthorities(QFile::encodeName(file)); }

void ModXmlHttp::setStallTimeout(int milliseconds) { d->stallTimeoutMs = qMax(1, milliseconds); }

void ModXmlHttp::setReadBufferSize(qint64 bytes) { d->readBufferSize = std::clamp<qint64>(bytes, 16 * 1024, 10 * 1024 * 1024); }

void ModXmlHttp::setResumeEnabled(bool enabled) { d->resumeEnabled = enabled; }

void ModXmlHttp::cancelAll()
{
    d->cancelled = true;
    const QList<ReplyWait *> inProgress = d->waits;
    for (ReplyWait *wait : inProgress)
        wait->cancel();
}

bool ModXmlHttp::isCancelled() const { return d->cancelled; }

} // namespace tavimo
