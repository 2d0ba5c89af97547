#include "net/mod_xml_http.h"
#include "net/mod_xml_http_private.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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
    const QUrl address(url);
    if (d->cancelled || !isWebAddress(address))
        return QString();

    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = body.isEmpty() ? d->manager->get(request)
                                          : d->manager->sendCustomRequest(request, "GET", body.toUtf8());
    const WaitEnd end = d->wait(reply);
    QByteArray bytes;
    if (end == WaitEnd::Finished && !transferBroke(*reply))
        bytes = reply->readAll();
    reply->deleteLater();
    return bytes.isEmpty() ? QString() : BytesToText(bytes, charset);
}

} // namespace tavimo
