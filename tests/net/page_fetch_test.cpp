#include "net_fixture.h"

#include <QStringEncoder>

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

struct FetchRow {
    const char *name;
    Resource resource; // served at /page
    const char *charset;
    QString text;
    const char *address = nullptr; // fetched instead of /page when set
};

// A page is its body as text in the named character set, matched without
// regard to case, whatever its status; a redirect is followed to the page it
// names; addresses other than http and https are never requested.
TEST_F(PageFetchTest, ReturnsTheBodyAsText)
{
    QStringEncoder toGb18030("GB18030");
    const std::string gb = QByteArray(toGb18030.encode(kChinese)).toStdString();
    Resource moved = page(302, "");
    moved.location = "/target";
    server.put("/target", page(200, "arrived"));
    const FetchRow rows[] = {
        {"404 page", page(404, "<html><h1>404 Not Found</h1></html>"), "UTF-8", "<html><h1>404 Not Found</h1></html>"},
        {"500 page", page(500, "<p>oops</p>"), "UTF-8", "<p>oops</p>"},
        {"empty body", page(200, ""), "UTF-8", ""},
        {"UTF-8", page(200, kChinese.toStdString()), "UTF-8", kChinese},
        {"utf-8", page(200, kChinese.toStdString()), "utf-8", kChinese},
        {"Utf-8", page(200, kChinese.toStdString()), "Utf-8", kChinese},
        {"GB18030", page(200, gb), "GB18030", kChinese},
        {"gb18030", page(200, gb), "gb18030", kChinese},
        {"redirect", moved, "UTF-8", "arrived"},
        {"local file", page(200, "x"), "UTF-8", "", "file:///etc/hostname"},
        {"data address", page(200, "x"), "UTF-8", "", "data:,hello"},
        {"ftp address", page(200, "x"), "UTF-8", "", "ftp://127.0.0.1/x"},
        {"no address", page(200, "x"), "UTF-8", "", ""},
        {"no host", page(200, "x"), "UTF-8", "", "http://"},
        {"not an address", page(200, "x"), "UTF-8", "", "not an address"},
    };
    for (const FetchRow &row : rows) {
        SCOPED_TRACE(row.name);
        server.put("/page", row.resource);
        const size_t before = server.requests().size();
        const QString address = row.address == nullptr ? server.url("/page") : QString::fromUtf8(row.address);
        EXPECT_EQ(QCoro::waitFor(http.GetHttpText(row.charset, address)), row.text);
        EXPECT_EQ(server.requests().size() - before, row.address == nullptr ? 1u + (row.resource.status == 302) : 0u);
    }
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
    QCoro::waitFor(http.GetHttpText("UTF-8", server.url("/page")));
    QCoro::waitFor(http.GetHttpText("utf-8", server.url("/page")));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const RecordedRequest &request : requests) {
        EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_FALSE(request.hasHeader("Cookie"));
        EXPECT_FALSE(request.hasHeader("Range"));
    }
}

} // namespace
} // namespace tavimo::test
