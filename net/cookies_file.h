#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>

namespace tavimo {

// Cookies in the Netscape cookies.txt format that browsers export and curl
// and wget read: one cookie a line, seven TAB-separated fields (domain,
// subdomains flag, path, secure flag, expiry, name, value), "#HttpOnly_"
// before the domain of an HTTP-only cookie, other "#" lines comments, expiry
// 0 for a session cookie.
struct CookiesFile {
    QList<QNetworkCookie> cookies;
    int unreadableLines = 0;
};

CookiesFile ParseCookiesText(const QByteArray &text);
QByteArray CookiesText(const QList<QNetworkCookie> &cookies);

// Reads the file; false with a reason in error when it is missing,
// unreadable or too large to be a cookies file.
bool ReadCookiesFile(const QString &path, CookiesFile &result, QString &error);
// Replaces the file as a whole, readable by its owner only.
bool WriteCookiesFile(const QString &path, const QList<QNetworkCookie> &cookies);

} // namespace tavimo
