#include "net/mod_xml_http.h"

#include "net/curl_engine.h"
#include "net/http_reply.h"

#include <QDateTime>
#include <QFile>
#include <QUrl>

namespace tavimo {

ModXmlHttp::ModXmlHttp(QObject *parent) : QObject(parent), engine_(std::make_unique<CurlEngine>()) {}

ModXmlHttp::~ModXmlHttp()
{
    cancelAll();
}

CookieStore &ModXmlHttp::cookies()
{
    return engine_->cookies();
}

void ModXmlHttp::setProxy(const QString &address)
{
    engine_->setProxy(address.toUtf8());
}

void ModXmlHttp::setCertificateAuthorities(const QString &file)
{
    engine_->setCertificateAuthorities(QFile::encodeName(file));
}

HttpReply *ModXmlHttp::createReply(const HttpRequest &request, QObject *parent)
{
    return new HttpReply(*engine_, request, parent);
}

void ModXmlHttp::setStallTimeout(int milliseconds)
{
    stallTimeoutMs_ = qMax(1, milliseconds);
}

qint64 ModXmlHttp::heldFor(const QString &url) const
{
    return pacing_.heldFor(QUrl(url).host());
}

std::optional<qint64> ModXmlHttp::takeRetryAfter(const HttpReply &reply, const QString &url)
{
    if (reply.status() != 429 && reply.status() != 503)
        return std::nullopt;
    const std::optional<qint64> seconds = RetryAfterSeconds(reply.header("Retry-After"),
                                                            QDateTime::currentDateTimeUtc());
    if (!seconds || *seconds > kLongestRetryAfterSeconds)
        return seconds;
    const QString host = QUrl(url).host();
    if (pacing_.hold(host, *seconds))
        emit hostHeld(host, *seconds);
    return seconds;
}

} // namespace tavimo
