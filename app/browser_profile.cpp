#include "app/browser_profile.h"

#include "net/browser_storage.h"
#include "net/cookies_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <unistd.h>

namespace tavimo {

BrowserProfile::BrowserProfile(QNetworkCookieJar *jar, const QString &storagePath, QObject *parent)
    : QObject(parent), jar_(jar), storagePath_(storagePath)
{
}

BrowserProfile::~BrowserProfile()
{
    delete profile_;
}

QString BrowserProfile::defaultStoragePath()
{
    return DefaultBrowserStorage();
}

void BrowserProfile::PrepareEnvironment()
{
    // Chromium refuses to start its sandbox as root (containers, CI).
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The browser only shows a sign-in page: software drawing is enough and
    // works on machines without a GPU or display server.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", geteuid() == 0
                    ? "--disable-gpu --disable-background-networking --no-sandbox"
                    : "--disable-gpu --disable-background-networking");
    if (QCoreApplication::instance() == nullptr)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine takes the system proxy (http_proxy and friends) only when
    // the application asks for the system configuration.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

QWebEngineProfile *BrowserProfile::profile()
{
    if (profile_ != nullptr)
        return profile_;
    PrepareEnvironment();
    QDir().mkpath(storagePath_);
    profile_ = new QWebEngineProfile(QStringLiteral("tavimo"));
    profile_->setPersistentStoragePath(storagePath_);
    profile_->setCachePath(storagePath_ + QStringLiteral("/cache"));
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    QWebEngineCookieStore *store = profile_->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &BrowserProfile::mirrorAdded);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &BrowserProfile::mirrorRemoved);
    // The engine does not report the cookies it loads from disk, so the
    // sign-in of an earlier run comes from the kept copy.
    CookiesFile kept;
    QString unreadable;
    if (ReadCookiesFile(cookiesFile(), kept, unreadable)) {
        for (const QNetworkCookie &cookie : kept.cookies)
            mirrorAdded(cookie);
    }
    store->loadAllCookies();
    return profile_;
}

QString BrowserProfile::cookiesFile() const
{
    return BrowserCookiesFile(storagePath_);
}

void BrowserProfile::mirrorAdded(const QNetworkCookie &cookie)
{
    if (!jar_->updateCookie(cookie))
        jar_->insertCookie(cookie);
    kept_.removeIf([&](const QNetworkCookie &kept) { return kept.hasSameIdentifier(cookie); });
    kept_.append(cookie);
    keepCookies();
}

void BrowserProfile::mirrorRemoved(const QNetworkCookie &cookie)
{
    jar_->deleteCookie(cookie);
    kept_.removeIf([&](const QNetworkCookie &kept) { return kept.hasSameIdentifier(cookie); });
    keepCookies();
}

void BrowserProfile::keepCookies()
{
    WriteCookiesFile(cookiesFile(), kept_);
}

} // namespace tavimo
