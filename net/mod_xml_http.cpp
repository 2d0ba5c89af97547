#include "net/mod_xml_http.h"

#include "download/file_transfer.h"
#include "net/mod_xml_http_private.h"

#include "net/http_reply.h"

#include <QFile>

#include <algorithm>

namespace tavimo {

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

HttpReply *ModXmlHttp::createReply(const HttpRequest &request, QObject *parent)
{
    return new HttpReply(d->engine, request, parent);
}

void ModXmlHttp::setStallTimeout(int milliseconds) { d->stallTimeoutMs = qMax(1, milliseconds); }

int ModXmlHttp::stallTimeout() const { return d->stallTimeoutMs; }

void ModXmlHttp::setReadBufferSize(qint64 bytes) { d->readBufferSize = std::clamp<qint64>(bytes, 16 * 1024, 10 * 1024 * 1024); }

void ModXmlHttp::setResumeEnabled(bool enabled) { d->resumeEnabled = enabled; }

void ModXmlHttp::cancelAll()
{
    d->cancelled = true;
    emit cancelled();
}

bool ModXmlHttp::isCancelled() const { return d->cancelled; }

} // namespace tavimo
