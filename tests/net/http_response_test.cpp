#include "net/http_exchange.h"
#include "net/http_response.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QUrl>

namespace tavimo {
namespace {

ResponseHead headOf(const char *text)
{
    const std::optional<ResponseHead> head = ParseResponseHead(text);
    EXPECT_TRUE(head.has_value()) << text;
    return head.value_or(ResponseHead{});
}

// Feeds the raw body to a fresh framing in pieces of the given size; the
// decoded body, or "<broken>" when the framing refused it.
QByteArray decodeInPieces(const ResponseHead &head, const QByteArray &raw, qsizetype piece, bool *complete = nullptr)
{
    std::optional<BodyFraming> framing = BodyFraming::of(head);
    QByteArray body;
    for (qsizetype at = 0; at < raw.size() && !framing->complete(); at += piece) {
        QByteArray bytes = raw.mid(at, piece);
        bytes.truncate(framing->readLimit(bytes.size()));
        const qint64 got = framing->decode(bytes.data(), bytes.size());
        if (got < 0)
            return "<broken>";
        body += bytes.left(got);
    }
    if (complete != nullptr)
        *complete = framing->complete();
    return body;
}

TEST(ResponseHeadTest, ReadsStatusAndFields)
{
    const QByteArray text = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 5-9/10\r\n"
                            "set-cookie: a=1\r\nSet-Cookie: b=2\r\nX-Long: one\r\n two\r\n\r\n";
    EXPECT_EQ(ResponseHeadEnd(text + "body"), text.size());
    const ResponseHead head = headOf(text);
    EXPECT_EQ(head.status, 206);
    EXPECT_EQ(head.reason, "Partial Content");
    EXPECT_EQ(head.value("content-range"), "bytes 5-9/10");
    EXPECT_EQ(head.value("Set-Cookie"), "a=1, b=2");
    EXPECT_EQ(head.value("X-Long"), "one two");
    EXPECT_FALSE(head.has("Location"));
    // Bare line feeds and a missing reason are read too.
    EXPECT_EQ(headOf("HTTP/1.0 404\nServer: x\n\n").status, 404);
    EXPECT_EQ(ResponseHeadEnd("HTTP/1.1 200 OK\r\nA: b\r\n"), -1);
}

TEST(ResponseHeadTest, RefusesWhatIsNoResponseHead)
{
    for (const char *text : {"", "\r\n", "hello\r\n\r\n", "HTTP/2 200 OK\r\n\r\n", "HTTP/1.1 20 OK\r\n\r\n",
                             "HTTP/1.1 200OK\r\n\r\n", "HTTP/2.0 200 OK\r\n\r\n", "HTTP/1.1 200 OK\r\nno colon\r\n\r\n",
                             "HTTP/1.1 200 OK\r\n: empty name\r\n\r\n", "HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n",
                             "<html>HTTP/1.1 200 OK</html>\r\n\r\n"})
        EXPECT_FALSE(ParseResponseHead(text).has_value()) << text;
}

TEST(ResponseHeadTest, KeepsTheConnectionAsTheVersionSays)
{
    EXPECT_TRUE(headOf("HTTP/1.1 200 OK\r\n\r\n").keepsConnection());
    EXPECT_FALSE(headOf("HTTP/1.1 200 OK\r\nConnection: Keep-Alive, Close\r\n\r\n").keepsConnection());
    EXPECT_FALSE(headOf("HTTP/1.0 200 OK\r\n\r\n").keepsConnection());
    EXPECT_TRUE(headOf("HTTP/1.0 200 OK\r\nConnection: keep-alive\r\n\r\n").keepsConnection());
}

TEST(BodyFramingTest, LengthStopsAtTheAnnouncedEnd)
{
    const ResponseHead head = headOf("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
    bool complete = false;
    EXPECT_EQ(decodeInPieces(head, "12345NEXT", 3, &complete), "12345");
    EXPECT_TRUE(complete);
    EXPECT_EQ(BodyFraming::of(head)->announcedLength(), 5);
    // No body at all for these answers, whatever they announce.
    for (const char *text : {"HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n", "HTTP/1.1 304 Not Modified\r\n\r\n",
                             "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"})
        EXPECT_TRUE(BodyFraming::of(headOf(text))->complete()) << text;
}

TEST(BodyFramingTest, UnusableLengthsAreRefused)
{
    for (const char *text : {"Content-Length: abc", "Content-Length: -1", "Content-Length: 1 2", "Content-Length: +5",
                             "Content-Length: 99999999999999999999", "Content-Length: 5\r\nContent-Length: 6"}) {
        const std::optional<ResponseHead> head = ParseResponseHead(QByteArray("HTTP/1.1 200 OK\r\n") + text + "\r\n\r\n");
        ASSERT_TRUE(head.has_value()) << text;
        EXPECT_FALSE(BodyFraming::of(*head).has_value()) << text;
    }
    const ResponseHead twiceSame = headOf("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 5\r\n\r\n");
    EXPECT_EQ(BodyFraming::of(twiceSame)->announcedLength(), 5);
    const ResponseHead none = headOf("HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_TRUE(BodyFraming::of(none)->endsWithConnection());
    EXPECT_EQ(decodeInPieces(none, "all of it", 2), "all of it");
}

// Every split of the raw bytes gives the same body.
TEST(BodyFramingTest, ChunkedBodyInAnyPieces)
{
    const ResponseHead head = headOf("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\nContent-Length: 3\r\n\r\n");
    const QByteArray raw = "5;name=value\r\nhello\r\n1A\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\nTrailer: x\r\n\r\nNEXT";
    for (qsizetype piece = 1; piece <= raw.size(); ++piece) {
        bool complete = false;
        EXPECT_EQ(decodeInPieces(head, raw, piece, &complete), "helloabcdefghijklmnopqrstuvwxyz") << piece;
        EXPECT_TRUE(complete) << piece;
    }
    // What follows the end puts the connection out of step.
    std::optional<BodyFraming> framing = BodyFraming::of(head);
    QByteArray whole = raw;
    framing->decode(whole.data(), whole.size());
    EXPECT_TRUE(framing->complete() && framing->overran());

    bool complete = true;
    EXPECT_EQ(decodeInPieces(head, "5\nhello\n0\n", 4, &complete), "hello");
    EXPECT_FALSE(complete); // the blank line after the last chunk is still to come
}

TEST(BodyFramingTest, BrokenChunkFramingIsRefused)
{
    const ResponseHead head = headOf("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    for (const char *raw : {"x\r\n", "\r\n", ";ext\r\n", "5\r\nhelloX\r\n", "5\r\nhello\rX", "5\rX",
                            "1000000000000000\r\n", "fffffffffffffffff\r\n"})
        EXPECT_EQ(decodeInPieces(head, raw, 3), "<broken>") << raw;
}

// The request carries its own headers and the jar's cookies, but nothing
// that would end a header line early.
TEST(GetRequestTest, HeadersCannotBreakTheRequest)
{
    QNetworkRequest asked;
    asked.setRawHeader("Range", "bytes=10-");
    asked.setRawHeader("X-Split", "a\r\nHost: elsewhere");
    asked.setRawHeader("Connection", "close");
    QNetworkCookieJar jar;
    jar.setCookiesFromUrl({QNetworkCookie("id", "7")}, QUrl("http://music.example/"));
    const QByteArray bytes = GetRequestBytes(asked, QUrl("http://music.example/a%20b.mp3?q=1#top"), nullptr, &jar);
    EXPECT_EQ(bytes, "GET /a%20b.mp3?q=1 HTTP/1.1\r\nHost: music.example\r\nRange: bytes=10-\r\n"
                     "User-Agent: Mozilla/5.0\r\nCookie: id=7\r\nConnection: keep-alive\r\n\r\n");

    const QNetworkProxy proxy(QNetworkProxy::HttpProxy, "proxy.example", 3128);
    EXPECT_TRUE(GetRequestBytes({}, QUrl("http://user:pw@music.example:81/x"), &proxy, nullptr)
                    .startsWith("GET http://music.example:81/x HTTP/1.1\r\nHost: music.example:81\r\n"));
}

} // namespace
} // namespace tavimo
