#include "net/http_exchange.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QUrl>

#include <algorithm>

namespace tavimo {

namespace {

// Header text goes on the wire as it is: a line break in it would start a
// header or a request of its own.
bool safeOnTheWire(QByteArrayView text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

bool ownedHeader(const QByteArray &name)
{
    for (const char *owned : {"Host", "Connection", "Proxy-Authorization", "Proxy-Connection", "Content-Length",
                              "Transfer-Encoding", "Expect", "Upgrade"})
        if (name.compare(owned, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QByteArray GetRequestBytes(const QNetworkRequest &asked, const QUrl &address, const QNetworkProxy *httpProxy,
                           QNetworkCookieJar *jar)
{
    QByteArray target = httpProxy != nullptr
        ? address.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded()
        : address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    const QByteArray host = address.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1();
    if (target.contains(' ') || !safeOnTheWire(target) || !safeOnTheWire(host))
        return {};
    QByteArray bytes = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    bool userAgent = false;
    bool cookie = false;
    for (const QByteArray &name : asked.rawHeaderList()) {
        const QByteArray value = asked.rawHeader(name);
        if (ownedHeader(name) || !safeOnTheWire(name) || !safeOnTheWire(value) || name.contains(':'))
            continue;
        userAgent = userAgent || name.compare("User-Agent", Qt::CaseInsensitive) == 0;
        cookie = cookie || name.compare("Cookie", Qt::CaseInsensitive) == 0;
        bytes += name + ": " + value + "\r\n";
    }
    if (!userAgent)
        bytes += "User-Agent: Mozilla/5.0\r\n";
    const bool loadCookies = asked.attribute(QNetworkRequest::CookieLoadControlAttribute).toInt() != QNetworkRequest::Manual;
    if (!cookie && loadCookies && jar != nullptr) {
        QByteArray cookies;
        for (const QNetworkCookie &each : jar->cookiesForUrl(address)) {
            const QByteArray pair = each.toRawForm(QNetworkCookie::NameAndValueOnly);
            if (safeOnTheWire(pair))
                cookies += (cookies.isEmpty() ? "" : "; ") + pair;
        }
        if (!cookies.isEmpty())
            bytes += "Cookie: " + cookies + "\r\n";
    }
    if (httpProxy != nullptr && !httpProxy->user().isEmpty()) {
        const QByteArray credentials = (httpProxy->user() + QLatin1Char(':') + httpProxy->password()).toUtf8();
        bytes += "Proxy-Authorization: Basic " + credentials.toBase64() + "\r\n";
    }
    return bytes + "Connection: keep-alive\r\n\r\n";
}

QNetworkReply::NetworkError StatusError(int status)
{
    switch (status) {
    case 401: return QNetworkReply::AuthenticationRequiredError;
    case 403: return QNetworkReply::ContentAccessDenied;
    case 404: return QNetworkReply::ContentNotFoundError;
    case 405: return QNetworkReply::ContentOperationNotPermittedError;
    case 407: return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409: return QNetworkReply::ContentConflictError;
    case 410: return QNetworkReply::ContentGoneError;
    case 418: return QNetworkReply::ProtocolInvalidOperationError;
    case 500: return QNetworkReply::InternalServerError;
    case 501: return QNetworkReply::OperationNotImplementedError;
    case 503: return QNetworkReply::ServiceUnavailableError;
    default:
        if (status >= 500)
            return QNetworkReply::UnknownServerError;
        return status >= 400 ? QNetworkReply::UnknownContentError : QNetworkReply::NoError;
    }
}

QNetworkReply::NetworkError SocketFailure(QAbstractSocket::SocketError error, bool viaProxy)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return viaProxy ? QNetworkReply::ProxyConnectionRefusedError : QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::HostNotFoundError:
        return viaProxy ? QNetworkReply::ProxyNotFoundError : QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return viaProxy ? QNetworkReply::ProxyTimeoutError : QNetworkReply::TimeoutError;
    case QAbstractSocket::ProxyConnectionRefusedError:
        return QNetworkReply::ProxyConnectionRefusedError;
    case QAbstractSocket::ProxyNotFoundError:
        return QNetworkReply::ProxyNotFoundError;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyProtocolError:
        return QNetworkReply::ProxyConnectionClosedError;
    default:
        return viaProxy ? QNetworkReply::ProxyConnectionClosedError : QNetworkReply::RemoteHostClosedError;
    }
}

} // namespace tavimo
