#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <curl/curl.h>

namespace tavimo {

// The one cookie store of the program's HTTP engine: libcurl's cookie
// engine, shared by every transfer through the engine's share handle. Cookies
// go in and come out as lines of the Netscape cookies.txt format that
// browsers export and curl and wget read (seven TAB-separated fields: domain,
// subdomains flag, path, secure flag, expiry, name, value; "#HttpOnly_"
// before the domain of an HTTP-only cookie; expiry 0 for a session cookie).
class CookieStore {
public:
    explicit CookieStore(CURLSH *share);
    ~CookieStore();
    CookieStore(const CookieStore &) = delete;
    CookieStore &operator=(const CookieStore &) = delete;

    // Adds one cookie line, replacing a cookie of the same name, domain and
    // path; a line whose expiry has passed takes that cookie away.
    void insert(const QByteArray &line);
    // The cookies held now, expired ones left out.
    QList<QByteArray> lines() const;
    // Whether a request to host would carry any cookie.
    bool holdsCookieFor(const QString &host) const;

    // Adds every cookie of a cookies.txt file; false with a reason in error
    // when it is missing, unreadable or too large to be a cookies file.
    bool load(const QString &path, QString &error);
    // Replaces the file as a whole with the cookies held now, readable by
    // its owner only.
    bool save(const QString &path) const;

private:
    CURLSH *share_;
    // Not for transfers: only reads and writes the shared cookies.
    CURL *control_;
};

} // namespace tavimo
