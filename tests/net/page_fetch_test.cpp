#include "net_fixture.h"

#include "net/cookie_store.h"
#include "tests/support/cookie_line.h"
#include <QStringEncoder>
#include <QTimer>
#include <QUrl>

namespace tavimo::test {
namespace {

using PageFetchTest = NetTest;

const QString kChinese = QStringLiteral("热门兆赫 – 红心曲目");

Resource page(int status, const std::string &body, const std::string &type = "text/html")
{
    Resource resource;
    resource.status = status;
    resource.body = body;
    resource.contentType = type;
    return resource;
}

// An error page is returned as text like any other page: the status is not judged.
TEST_F(PageFetchTest, ErrorPageBodyIsReturned)
{
    server.put("/missing", page(404, "<html><h1>404 Not Found</h1></html>"));
    server.put("/broken", page(500, "<p>oops</p>"));
    EXPECT_EQ(http.GetHttpText("UTF-8", server.url("/missing")), QStringLiteral("<html><h1>404 Not Found</h1></html>"));
    EXPECT_EQ(http.GetHttpText("UTF-8", server.url("/broken")), QStringLiteral("<p>oops</p>"));
}

// A reply without a body is the empty text.
TEST_F(PageFetchTest, EmptyBodyGivesEmptyText)
{
    server.put("/empty", page(200, ""));
    const QString text = http.GetHttpText("UTF-8", server.url("/empty"));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(server.requestCount("/empty"), 1);
}

// Character-set names match without regard to case; GB18030 pages decode too.
TEST_F(PageFetchTest, DecodesInTheNamedCharacterSet)
{
    server.put("/utf8", page(200, kChinese.toStdString()));
    QStringEncoder toGb18030("GB18030");
    const QByteArray gb = toGb18030.encode(kChinese);
    server.put("/gb", page(200, gb.toStdString()));

    for (const char *name : {"UTF-8", "utf-8", "Utf-8"})
        EXPECT_EQ(http.GetHttpText(name, server.url("/utf8")), kChinese) << name;
    EXPECT_EQ(http.GetHttpText("GB18030", server.url("/gb")), kChinese);
    EXPECT_EQ(http.GetHttpText("gb18030", server.url("/gb")), kChinese);
}

// BytesToText on its own: a byte-order mark is dropped, an unknown name reads as UTF-8.
TEST(BytesToTextTest, NamesAndOddInput)
{
    const QByteArray utf8 = kChinese.toUtf8();
    EXPECT_EQ(BytesToText(QByteArrayLiteral("\xEF\xBB\xBF") + utf8, "UTF-8"), kChinese);
    EXPECT_EQ(BytesToText(utf8, "no-such-charset"), kChinese);
    EXPECT_EQ(BytesToText(QByteArray(), "UTF-8"), QString());
    EXPECT_EQ(BytesToText(QByteArrayLiteral("a\xFF" "b"), "UTF-8"), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(BytesToText(utf8.left(utf8.size() - 1), "UTF-8").left(kChinese.size() - 1), kChinese.chopped(1));
}

// Every fetch carries the form Content-Type header and nothing of the program's own.
TEST_F(PageFetchTest, SendsTheFormContentTypeHeader)
{
    server.put("/page", page(200, "ok"));
    http.GetHttpText("UTF-8", server.url("/page"));
    http.GetHttpText("utf-8", server.url("/page"));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const RecordedRequest &request : requests) {
        EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_FALSE(request.hasHeader("Cookie"));
        EXPECT_FALSE(request.hasHeader("Range"));
    }
}

// A cookie in the shared store goes out with the fetch.
TEST_F(PageFetchTest, CookiesComeFromTheSharedJar)
{
    server.put("/page", page(200, "ok"));
    http.cookies().insert(CookieLine(QStringLiteral("127.0.0.1"), "session=abc"));
    http.GetHttpText("UTF-8", server.url("/page"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("Cookie"), "session=abc");
}

// A redirect is followed to the page it names.
TEST_F(PageFetchTest, FollowsRedirects)
{
    Resource moved = page(302, "");
    moved.location = "/target";
    server.put("/moved", moved);
    server.put("/target", page(200, "arrived"));
    EXPECT_EQ(http.GetHttpText("UTF-8", server.url("/moved")), QStringLiteral("arrived"));
}

// A click during a fetch runs inside the wait; its own fetch returns first.
TEST_F(PageFetchTest, HandlersRunInsideTheWaitAndNest)
{
    Resource slow = page(200, "outer");
    slow.delay = std::chrono::milliseconds(400);
    server.put("/slow", slow);
    server.put("/fast", page(200, "inner"));

    QStringList finished;
    QTimer::singleShot(0, &http, [&] {
        finished.append(http.GetHttpText("UTF-8", server.url("/fast")));
    });
    finished.append(http.GetHttpText("UTF-8", server.url("/slow")));
    EXPECT_EQ(finished, (QStringList{"inner", "outer"}));
}

// Addresses other than http and https are never requested.
TEST_F(PageFetchTest, OnlyWebAddressesAreFetched)
{
    root.write("secret.txt", "local file");
    for (const QString &address : {QUrl::fromLocalFile(root.file("secret.txt")).toString(), QStringLiteral("data:,hello"),
                                   QStringLiteral("ftp://127.0.0.1/x"), QStringLiteral(""), QStringLiteral("http://"),
                                   QStringLiteral("not an address")})
        EXPECT_TRUE(http.GetHttpText("UTF-8", address).isEmpty()) << address.toStdString();
}

} // namespace
} // namespace tavimo::test
