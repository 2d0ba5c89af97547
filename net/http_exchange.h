#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QNetworkReply>
#include <QNetworkRequest>

class QNetworkCookieJar;
class QNetworkProxy;
class QUrl;

namespace tavimo {

// The bytes of a GET of address with the request's own headers, the jar's
// cookies for it and a kept-alive connection; through an HTTP proxy (when
// given) with the absolute address and its credentials. Empty when the
// address cannot be sent as it is. Headers that would break the request
// (line breaks, NUL) are left out.
QByteArray GetRequestBytes(const QNetworkRequest &asked, const QUrl &address, const QNetworkProxy *httpProxy,
                           QNetworkCookieJar *jar);

// The error QNetworkAccessManager reports for an HTTP status (NoError below 400).
QNetworkReply::NetworkError StatusError(int status);

// The error for a connection that failed or closed before the reply came.
QNetworkReply::NetworkError SocketFailure(QAbstractSocket::SocketError error, bool viaProxy);

} // namespace tavimo
