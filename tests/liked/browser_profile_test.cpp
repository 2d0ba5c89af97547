#include "app/browser_profile.h"
#include "app/web_browser.h"
#include "net/cookie_store.h"
#include "net/mod_xml_http.h"
#include "tests/support/browser_storage.h"
#include "tests/support/wait_until.h"

#include "tests/net/loopback_server.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QSignalSpy>

#include <algorithm>

namespace tavimo {
namespace {

// Waits for the next document-complete notification and returns its address.
QString waitForDocument(WebBrowser &browser)
{
    QSignalSpy spy(&browser, &WebBrowser::DocumentComplete);
    if (!spy.wait(30000))
        return QString();
    return spy.first().first().toString();
}

// A cookie set on a page the browser loads is sent by the program's own
// requests, and a cookie the site deletes stops being sent.
TEST(BrowserProfile, MirrorsBrowserCookiesIntoTheHttpClient)
{
    test::LoopbackServer site;
    test::Resource login;
    login.setCookie = "session=signed-in; Path=/";
    login.body = "<html><body><script>console.log('x'); alert('hi');</script>in</body></html>";
    login.contentType = "text/html";
    test::Resource logout = login;
    logout.setCookie = "session=; Path=/; Max-Age=0";
    logout.body = "<html><body>out</body></html>";
    site.put("/login", login);
    site.put("/logout", logout);
    site.put("/page", test::Resource{});
    ModXmlHttp http;
    // The Cookie header of a fetch by the program's own client.
    const auto cookieSent = [&] {
        http.GetHttpText("UTF-8", site.url("/page"));
        const std::vector<test::RecordedRequest> requests = site.requests();
        const auto fetch = std::find_if(requests.rbegin(), requests.rend(), [](const auto &r) { return r.path == "/page"; });
        return fetch == requests.rend() ? std::string("<no fetch>") : fetch->header("Cookie");
    };
    BrowserProfile profile(http.cookies(), test::FreshBrowserStorage());
    EXPECT_FALSE(profile.isStarted());
    {
        WebBrowser browser(profile);
        EXPECT_TRUE(profile.isStarted());
        browser.setSilent(true);
        browser.Navigate(site.url("/login"));
        EXPECT_EQ(waitForDocument(browser), site.url("/login"));
        // The browser hands its cookie changes over on its own time.
        ASSERT_TRUE(test::WaitUntil([&] { return http.cookies().holdsCookieFor(QStringLiteral("127.0.0.1")); }, 30000));
        EXPECT_EQ(cookieSent(), "session=signed-in");

        browser.Navigate(site.url("/logout"));
        EXPECT_EQ(waitForDocument(browser), site.url("/logout"));
        ASSERT_TRUE(test::WaitUntil([&] { return !http.cookies().holdsCookieFor(QStringLiteral("127.0.0.1")); }, 30000));
        EXPECT_EQ(cookieSent(), "");
    }
}

// A page that cannot be loaded gives no document-complete notification.
TEST(BrowserProfile, FailedLoadIsNoDocument)
{
    ModXmlHttp http;
    BrowserProfile profile(http.cookies(), test::FreshBrowserStorage());
    WebBrowser browser(profile);
    QSignalSpy completes(&browser, &WebBrowser::DocumentComplete);
    QSignalSpy finished(browser.page(), &QWebEnginePage::loadFinished);
    browser.Navigate(QStringLiteral("http://127.0.0.1:1/closed"));
    ASSERT_TRUE(finished.wait(30000));
    // A document-complete notification would have been posted by now.
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(completes.count(), 0);
}

} // namespace
} // namespace tavimo
