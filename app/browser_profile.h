#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QString>

class QNetworkCookieJar;
class QWebEngineProfile;

namespace tavimo {

// The embedded browser's one profile for the program. It is created on first
// use, so a start-up that never opens a browser window never starts the
// engine. Cookies persist on disk, so a sign-in survives a restart, and every
// cookie the browser holds is mirrored into the HTTP client's jar so that the
// program's own requests carry the browser's sign-in.
class BrowserProfile : public QObject {
    Q_OBJECT
public:
    BrowserProfile(QNetworkCookieJar *jar, const QString &storagePath = defaultStoragePath(),
                   QObject *parent = nullptr);
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

    QNetworkCookieJar *jar_;
    QString storagePath_;
    QWebEngineProfile *profile_ = nullptr;
    // The browser's cookies as last mirrored, kept in the storage folder so
    // that a later run's requests carry them before the browser reports any.
    QList<QNetworkCookie> kept_;
};

} // namespace tavimo
