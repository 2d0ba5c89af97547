#include "net/mod_xml_http.h"

#include "net/access_manager.h"
#include "net/file_transfer.h"
#include "net/loopback_proxy_factory.h"
#include "net/mod_xml_http_private.h"

#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

namespace tavimo {

namespace {

void useSystemProxySettingsOnce()
{
    static const bool done = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool transferBroke(const QNetworkReply &reply)
{
    const int code = reply.error();
    // A protocol failure can come in the middle of a body (broken chunk framing).
    return (code > QNetworkReply::NoError && code < QNetworkReply::ContentAccessDenied)
        || code == QNetworkReply::ProtocolFailure;
}

WaitEnd ModXmlHttp::Private::wait(QNetworkReply *reply)
{
    ReplyWait wait(reply, stallTimeoutMs);
    waits.append(&wait);
    const WaitEnd end = wait.run();
    waits.removeOne(&wait);
    return end;
}

QByteArray &ModXmlHttp::Private::buffer()
{
    if (readBuffer.size() != readBufferSize)
        readBuffer.resize(readBufferSize);
    return readBuffer;
}

ModXmlHttp::ModXmlHttp(QObject *parent) : QObject(parent), d(new Private)
{
    useSystemProxySettingsOnce();
    d->manager = new AccessManager(this);
    d->manager->setProxyFactory(new LoopbackProxyFactory);
    d->manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

ModXmlHttp::~ModXmlHttp()
{
    cancelAll();
    // A file being committed gets its name before the program goes.
    d->commits.waitForDone();
    // Transfers still open (their end was queued) use d as they go.
    qDeleteAll(findChildren<FileTransfer *>(Qt::FindDirectChildrenOnly));
    delete d;
}

QNetworkAccessManager *ModXmlHttp::manager() const { return d->manager; }

QNetworkCookieJar *ModXmlHttp::cookieJar() const { return d->manager->cookieJar(); }

void ModXmlHttp::setStallTimeout(int milliseconds) { d->stallTimeoutMs = qMax(1, milliseconds); }

void ModXmlHttp::setReadBufferSize(qint64 bytes) { d->readBufferSize = std::clamp<qint64>(bytes, 4096, 64 * 1024 * 1024); }

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
