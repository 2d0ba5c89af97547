#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>

namespace tavimo::cli {

// The cookies of a Netscape-format cookies.txt (as browsers export it and
// curl and wget read it): one cookie a line, seven TAB-separated fields
// (domain, subdomains flag, path, secure flag, expiry, name, value); lines
// starting with "#HttpOnly_" are HttpOnly cookies, other "#" lines comments.
struct CookiesFile {
    QList<QNetworkCookie> cookies;
    int unreadableLines = 0;
};

CookiesFile ParseCookiesText(const QByteArray &text);

// Reads the file; false with error set when it cannot be read.
bool ReadCookiesFile(const QString &path, CookiesFile &result, QString &error);

} // namespace tavimo::cli
