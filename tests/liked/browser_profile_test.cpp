#include "app/browser_profile.h"
#include "app/web_browser.h"
#include "net/cookie_store.h"
#include "net/mod_xml_http.h"
#include "tests/support/browser_storage.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

#include <thread>

namespace tavimo {
namespace {

// A loopback site that signs the browser in with a cookie and reports which
// cookies each request carried.
class CookieSite {
public:
    CookieSite()
    {
        server_.Get("/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_header("Set-Cookie", "session=signed-in; Path=/");
            res.set_content("<html><body><script>console.log('x'); alert('hi');</script>in</body></html>",
                            "text/html");
        });
        server_.Get("/logout", [](const httplib::Request &, httplib::Response &res) {
            res.set_header("Set-Cookie", "session=; Path=/; Max-Age=0");
            res.set_content("<html><body>out</body></html>", "text/html");
        });
        server_.Get("/echo", [](const httplib::Request &req, httplib::Response &res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::yield();
    }
    ~CookieSite()
    {
        server_.stop();
        thread_.join();
    }
    QString address(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QLatin1String(path));
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

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
    CookieSite site;
    ModXmlHttp http;
    BrowserProfile profile(http.cookies(), test::FreshBrowserStorage());
    EXPECT_FALSE(profile.isStarted());
    {
        WebBrowser browser(profile);
        EXPECT_TRUE(profile.isStarted());
        browser.setSilent(true);
        browser.Navigate(site.address("/login"));
        EXPECT_EQ(waitForDocument(browser), site.address("/login"));
        // The browser hands its cookie changes over on its own time.
        ASSERT_TRUE(test::WaitUntil([&] { return http.cookies().holdsCookieFor(QStringLiteral("127.0.0.1")); }, 30000));
        EXPECT_EQ(http.GetHttpText("UTF-8", site.address("/echo")), QStringLiteral("session=signed-in"));

        browser.Navigate(site.address("/logout"));
        EXPECT_EQ(waitForDocument(browser), site.address("/logout"));
        ASSERT_TRUE(test::WaitUntil([&] { return !http.cookies().holdsCookieFor(QStringLiteral("127.0.0.1")); }, 30000));
        EXPECT_EQ(http.GetHttpText("UTF-8", site.address("/echo")), QString());
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
