#include "app/browser_profile.h"
#include "app/web_browser.h"
#include "download/download_root.h"
#include "net/cookie_store.h"
#include "net/mod_xml_http.h"
#include "tests/support/browser_storage.h"
#include "tests/support/emulated_service.h"
#include "tests/support/installed_copy.h"
#include "tests/support/wait_until.h"

#include "tests/net/loopback_server.h"

#include <gtest/gtest.h>

#include <QDir>
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
        QCoro::waitFor(http.GetHttpText("UTF-8", site.url("/page")));
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

using InstalledCopyTest = test::EmulatedService;

// The installed program, reaching the service with its built-in hosts through
// http_proxy: the user signs in on the service's page in the browser and the
// liked tracks arrive; the next start is forwarded by the kept sign-in and
// finds nothing new to download. Browser and HTTP client both go through the
// proxy, and the list pages carry the browser's session.
TEST_F(InstalledCopyTest, SignsInAndHarvestsLikedTracksThroughTheSystemProxy)
{
    test::InstalledCopy copy(emulator);
    const size_t liked = emulator.catalogue().liked().size();
    const QString summary = QStringLiteral("红心下载完毕. 共%1首.").arg(liked);

    EXPECT_EQ(copy.run(QStringLiteral("liked=fan@example.com:secret")), summary);
    const QDir likedFolder(copy.folder.file(QString::fromUtf16(kLikedFolderName)));
    EXPECT_EQ(likedFolder.entryList(QDir::Files | QDir::Hidden).size(), qsizetype(liked));
    const int downloads = requestsTo("/view/song/");
    EXPECT_GE(downloads, int(liked));

    EXPECT_EQ(copy.run(QStringLiteral("liked")), summary);
    EXPECT_EQ(requestsTo("/view/song/"), downloads);
    EXPECT_EQ(likedFolder.entryList(QDir::Files | QDir::Hidden).size(), qsizetype(liked));

    size_t listPages = 0;
    for (const emu::RequestRecord &request : emulator.requestLog()) {
        EXPECT_TRUE(request.viaProxy) << request.address;
        if (request.target.rfind("/mine?start=", 0) == 0) {
            ++listPages;
            EXPECT_NE(request.header("Cookie").find(emu::Emulator::signInCookie()), std::string::npos);
        }
    }
    EXPECT_EQ(listPages, 8u); // two harvests of offsets 0, 15, 30 and the empty 45
}

} // namespace
} // namespace tavimo
