#include "net_fixture.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <deque>

namespace tavimo::test {
namespace {

// Answers each request, in this thread, with the next scripted bytes.
class ScriptedServer : public QObject {
public:
    struct Answer {
        QByteArray bytes;
        bool close = true;
    };

    ScriptedServer()
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequests(socket); });
            }
        });
    }
    void answer(const QByteArray &bytes, bool close = true) { answers_.push_back({bytes, close}); }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path); }
    quint16 port() const { return server_.serverPort(); }

    QList<QByteArray> requests;
    int connections = 0;

private:
    void readRequests(QTcpSocket *socket)
    {
        QByteArray &pending = received_[socket];
        pending += socket->readAll();
        for (qsizetype end = pending.indexOf("\r\n\r\n"); end >= 0; end = pending.indexOf("\r\n\r\n")) {
            requests.append(pending.left(end + 4));
            pending.remove(0, end + 4);
            const Answer next = answers_.empty() ? Answer{"HTTP/1.1 500 Nothing scripted\r\n\r\n"} : answers_.front();
            if (!answers_.empty())
                answers_.pop_front();
            socket->write(next.bytes);
            if (next.close)
                socket->disconnectFromHost();
        }
    }

    QTcpServer server_;
    std::deque<Answer> answers_;
    QHash<QTcpSocket *, QByteArray> received_;
};

class SocketReplyTest : public NetTest {
protected:
    static QByteArray track(const QByteArray &body, const QByteArray &extra = {})
    {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + extra + "\r\n" + body;
    }
    DownloadOutcome download(const QString &path, const QString &name = QStringLiteral("t.mp3"))
    {
        return http.DownloadFile(scripted.url(path), root.file(name));
    }

    ScriptedServer scripted;
    const QByteArray body = bytes(trackBytes(100 * 1000));
};

TEST_F(SocketReplyTest, BodyFramedEveryWayIsSavedWhole)
{
    QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < body.size(); at += 7777)
        chunked += QByteArray::number(qMin<qsizetype>(7777, body.size() - at), 16) + "\r\n" + body.mid(at, 7777) + "\r\n";
    const QList<QByteArray> replies = {track(body), chunked + "0\r\n\r\n",
                                       "HTTP/1.0 200 OK\r\n\r\n" + body, // ends with the connection
                                       "HTTP/1.1 100 Continue\r\n\r\n" + track(body)};
    for (const QByteArray &reply : replies) {
        scripted.answer(reply);
        EXPECT_EQ(download("/t.mp3"), DownloadOutcome::Saved) << reply.left(60).toStdString();
        EXPECT_EQ(root.read("t.mp3"), body);
        EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
        QFile::remove(root.file("t.mp3"));
    }
}

// Replies that cannot be read end the track without a file of any kind.
TEST_F(SocketReplyTest, UnreadableRepliesLeaveNothing)
{
    const QList<QByteArray> replies = {
        "",
        "garbage that is no HTTP at all\r\n\r\n" + body,
        "HTTP/1.1 200 OK\r\nContent-Length: 12",
        "HTTP/1.1 200 OK\r\n" + QByteArray(70 * 1024, 'x'),
        "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n" + body,
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n\r\n" + body,
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nfffffffffffffffffff\r\n" + body,
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nID3X\r\n",
        "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/t.mp3\r\nContent-Length: 0\r\n\r\n",
    };
    for (const QByteArray &reply : replies) {
        scripted.answer(reply);
        EXPECT_EQ(download("/t.mp3"), DownloadOutcome::Failed) << reply.left(60).toStdString();
        EXPECT_TRUE(root.allFiles().isEmpty()) << reply.left(60).toStdString();
    }
}

// Chunk framing that breaks after body bytes were written is an interrupted
// transfer: never a file under the final name.
TEST_F(SocketReplyTest, BrokenBodyIsNeverAFinishedFile)
{
    QByteArray broken = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < body.size(); at += 10000)
        broken += QByteArray::number(qMin<qsizetype>(10000, body.size() - at), 16) + "\r\n" + body.mid(at, 10000) + "\r\n";
    broken.insert(broken.size() / 2, "zz\r\n");
    scripted.answer(broken);
    EXPECT_EQ(download("/t.mp3"), DownloadOutcome::Failed);
    EXPECT_FALSE(QFileInfo::exists(root.file("t.mp3")));
    EXPECT_TRUE(body.startsWith(root.read("t.mp3.part")));
}

// A body cut off keeps its bytes for the next run, which continues them.
TEST_F(SocketReplyTest, BodyCutOffIsContinuedLater)
{
    scripted.answer("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body.left(40000));
    EXPECT_EQ(download("/t.mp3"), DownloadOutcome::Failed);
    EXPECT_EQ(root.read("t.mp3.part"), body.left(40000));
    scripted.answer("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 40000-99999/100000\r\nContent-Length: 60000\r\n\r\n"
                    + body.mid(40000));
    EXPECT_EQ(download("/t.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), body);
    EXPECT_TRUE(scripted.requests.last().contains("\r\nRange: bytes=40000-\r\n"));
}

// Tracks follow each other on one connection. One the server closes
// instead of answering is replaced without failing the track; one the
// server said it closes is not used again.
TEST_F(SocketReplyTest, KeptAliveConnectionsAreReused)
{
    scripted.answer(track(body), false);
    scripted.answer(track(body), false);
    EXPECT_EQ(download("/a.mp3", "a.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(download("/b.mp3", "b.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(scripted.connections, 1);

    scripted.answer("", true);
    scripted.answer(track(body, "Connection: close\r\n"), false);
    scripted.answer(track(body), true);
    EXPECT_EQ(download("/c.mp3", "c.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(download("/d.mp3", "d.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(scripted.connections, 3);
    EXPECT_EQ(root.read("c.mp3"), body);
    EXPECT_EQ(root.read("d.mp3"), body);

    // Bytes after a body's end make a connection unfit for the next request.
    scripted.answer(track(body) + "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nID3", false);
    scripted.answer(track(body));
    EXPECT_EQ(download("/e.mp3", "e.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(download("/f.mp3", "f.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(scripted.connections, 5);
    EXPECT_EQ(root.read("f.mp3"), body);
}

// Cookies go both ways through the shared jar; a redirect is followed with them.
TEST_F(SocketReplyTest, CookiesAndRedirects)
{
    http.cookieJar()->setCookiesFromUrl({QNetworkCookie("session", "s1")}, QUrl(scripted.url("/")));
    scripted.answer("HTTP/1.1 302 Found\r\nLocation: /real.mp3\r\nSet-Cookie: step=2; Path=/\r\nContent-Length: 4\r\n\r\nmove");
    scripted.answer(track(body));
    EXPECT_EQ(download("/moved.mp3"), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), body);
    ASSERT_EQ(scripted.requests.size(), 2);
    EXPECT_TRUE(scripted.requests[0].startsWith("GET /moved.mp3 HTTP/1.1\r\n"));
    EXPECT_TRUE(scripted.requests[0].contains("\r\nCookie: session=s1\r\n"));
    EXPECT_TRUE(scripted.requests[1].startsWith("GET /real.mp3 HTTP/1.1\r\n"));
    EXPECT_TRUE(scripted.requests[1].contains("step=2"));
}

// A track redirected to https is fetched by Qt's own stack; the scripted
// server speaks no TLS, so the track fails, and the network object can go
// while that request still waits.
TEST_F(SocketReplyTest, RedirectToHttpsIsHandedOver)
{
    const QByteArray elsewhere = "https://127.0.0.1:" + QByteArray::number(scripted.port()) + "/secure.mp3";
    scripted.answer("HTTP/1.1 302 Found\r\nLocation: " + elsewhere + "\r\nContent-Length: 0\r\n\r\n");
    http.setStallTimeout(2000);
    EXPECT_EQ(download("/t.mp3"), DownloadOutcome::Failed);
    EXPECT_TRUE(root.allFiles().isEmpty());

    scripted.answer("HTTP/1.1 302 Found\r\nLocation: " + elsewhere + "\r\nContent-Length: 0\r\n\r\n");
    auto network = std::make_unique<ModXmlHttp>();
    network->StartDownloadFile(scripted.url("/t.mp3"), root.file("v.mp3"), [](DownloadOutcome) {});
    QTRY_COMPARE_WITH_TIMEOUT(scripted.connections, 4, 5000); // two more: the redirect, then the TLS attempt
    network.reset();
    EXPECT_TRUE(root.allFiles().isEmpty());
}

class FixedProxy : public QNetworkProxyFactory {
public:
    explicit FixedProxy(QNetworkProxy proxy) : proxy_(std::move(proxy)) {}
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &) override { return {proxy_}; }

private:
    QNetworkProxy proxy_;
};

// Through an HTTP proxy the request names the whole address, as browsers do.
TEST_F(SocketReplyTest, HttpProxyIsAskedForTheWholeAddress)
{
    http.manager()->setProxyFactory(
        new FixedProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), scripted.port(),
                                     QStringLiteral("user"), QStringLiteral("secret"))));
    scripted.answer(track(body));
    EXPECT_EQ(http.DownloadFile(QStringLiteral("http://audio.example:8080/p/1.mp3?x=1"), root.file("t.mp3")),
              DownloadOutcome::Saved);
    ASSERT_EQ(scripted.requests.size(), 1);
    const QByteArray request = scripted.requests[0];
    EXPECT_TRUE(request.startsWith("GET http://audio.example:8080/p/1.mp3?x=1 HTTP/1.1\r\n"));
    EXPECT_TRUE(request.contains("\r\nHost: audio.example:8080\r\n"));
    EXPECT_TRUE(request.contains("\r\nProxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n"));

    scripted.answer("HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(http.DownloadFile(QStringLiteral("http://audio.example/2.mp3"), root.file("u.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
}

} // namespace
} // namespace tavimo::test
