#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>

namespace tavimo {

// Cookies in the Netscape cookies.txt format that browsers export and curl
// and wget read: one cookie a line, seven TAB-separated fields, "#HttpOnly_"
// before the domain of an HTTP-only cookie, expiry 0 for a session cookie.
QList<QNetworkCookie> ParseCookiesText(const QString &text);
QString CookiesText(const QList<QNetworkCookie> &cookies);

// The same for a file; reading a missing or unreadable file gives no cookie.
QList<QNetworkCookie> ReadCookiesFile(const QString &path);
// Replaces the file as a whole, readable by its owner only.
bool WriteCookiesFile(const QString &path, const QList<QNetworkCookie> &cookies);

} // namespace tavimo
