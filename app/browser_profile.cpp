#include "app/browser_profile.h"

#include "net/browser_storage.h"
#include "net/cookie_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QNetworkCookie>
#include <QNetworkProxyFactory>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <unistd.h>

namespace tavimo {

namespace {

QByteArray Flag(bool value)
{
    return value ? QByteArrayLiteral("TRUE") : QByteArrayLiteral("FALSE");
}

// The cookie as a line of cookies.txt; expiry 0 for a cookie of the browser
// session, 1 (long past) for one that is to go.
QByteArray CookieLine(const QNetworkCookie &cookie, bool removed)
{
    const QByteArray domain = cookie.domain().toUtf8();
    const qint64 expiry = removed ? 1 : cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
    const QList<QByteArray> fields = {
        (cookie.isHttpOnly() ? QByteArrayLiteral("#HttpOnly_") : QByteArray()) + domain,
        Flag(domain.startsWith('.')),
        cookie.path().isEmpty() ? QByteArrayLiteral("/") : cookie.path().toUtf8(),
        Flag(cookie.isSecure()),
        QByteArray::number(expiry),
        cookie.name(),
        cookie.value(),
    };
    return fields.join('\t');
}

} // namespace

BrowserProfile::BrowserProfile(CookieStore &cookies, const QString &storagePath, QObject *parent)
    : QObject(parent), cookies_(cookies), storagePath_(storagePath)
{
    // The engine does not report the cookies it loads from disk, so the
    // sign-in of an earlier run comes from the kept copy.
    QString missing;
    cookies_.load(cookiesFile(), missing);
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
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                (geteuid() == 0 ? "--disable-gpu --disable-background-networking --no-sandbox"
                                : "--disable-gpu --disable-background-networking"));
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
    store->loadAllCookies();
    return profile_;
}

QString BrowserProfile::cookiesFile() const
{
    return BrowserCookiesFile(storagePath_);
}

void BrowserProfile::mirrorAdded(const QNetworkCookie &cookie)
{
    if (cookie.domain().isEmpty())
        return; // nowhere to send it
    cookies_.insert(CookieLine(cookie, false));
    keepCookies();
}

void BrowserProfile::mirrorRemoved(const QNetworkCookie &cookie)
{
    cookies_.insert(CookieLine(cookie, true));
    keepCookies();
}

void BrowserProfile::keepCookies()
{
    QDir().mkpath(storagePath_);
    cookies_.save(cookiesFile());
}

} // namespace tavimo
