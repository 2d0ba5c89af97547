#include "net/http_reply.h"
#include "net/mod_xml_http.h"
#include "net/mod_xml_http_private.h"

#include <QStringDecoder>
#include <QUrl>

namespace tavimo {

QString BytesToText(const QByteArray &bytes, const QString &charset)
{
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

QString ModXmlHttp::GetHttpText(const QString &charset, const QString &url, const QString &body)
{
    if (d->cancelled || !isWebAddress(QUrl(url)))
        return QString();

    HttpRequest request;
    request.address = url;
    request.body = body.toUtf8();
    request.headers = {QByteArrayLiteral("Content-Type: application/x-www-form-urlencoded")};
    request.compressed = true;
    HttpReply reply(d->engine, request);
    reply.start();
    const WaitEnd end = d->wait(&reply);
    // An error status still brings its page; only a broken transfer loses it.
    const bool whole = end == WaitEnd::Finished && !reply.broke();
    return whole && !reply.body().isEmpty() ? BytesToText(reply.body(), charset) : QString();
}

} // namespace tavimo
