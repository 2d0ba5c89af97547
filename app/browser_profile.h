#pragma once

#include <QNetworkCookie>
#include <QObject>
#include <QString>

class QWebEngineProfile;

namespace tavimo {

class CookieStore;

// The embedded browser's one profile for the program. It is created on first
// use, so a start-up that never opens a browser window never starts the
// engine. Cookies persist on disk, so a sign-in survives a restart, and every
// cookie the browser holds is mirrored into the HTTP engine's cookie store as
// it changes, so that the program's own requests carry the browser's sign-in.
// The store is kept as cookies.txt in the storage folder and read back when
// the profile is made, so a later run's requests carry the sign-in before the
// browser reports any cookie.
class BrowserProfile : public QObject {
    Q_OBJECT
public:
    BrowserProfile(CookieStore &cookies, const QString &storagePath = defaultStoragePath(), QObject *parent = nullptr);
    ~BrowserProfile() override;

    // The per-user folder that holds the profile's cookies and cache.
    static QString defaultStoragePath();

    // Sets what the engine reads from the environment at its start (no
    // sandbox when running as root, no GPU use). Leaves values the user set.
    // Call before QApplication where possible; profile() calls it again.
    static void PrepareEnvironment();

    QWebEngineProfile *profile();
    bool isStarted() const { return profile_ != nullptr; }
    QString storagePath() const { return storagePath_; }
    // The file in the storage folder that keeps the browser's cookies.
    QString cookiesFile() const;

private:
    void mirrorAdded(const QNetworkCookie &cookie);
    void mirrorRemoved(const QNetworkCookie &cookie);

    void keepCookies();

    CookieStore &cookies_;
    QString storagePath_;
    QWebEngineProfile *profile_ = nullptr;
};

} // namespace tavimo
