#include "net_fixture.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>

#include <sys/resource.h>


namespace tavimo::test {
namespace {

using NetworkWaitTest = NetTest;

// A loopback port that nothing listens on.
int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Resource stalling(size_t size = 100 * 1024)
{
    Resource resource;
    resource.body = "ID3" + std::string(size - 3, 'a');
    resource.stallAfterFirstBytes = true;
    return resource;
}

// A reply that stops bringing bytes ends the wait after the stall time-out;
// waiting for the silent server uses next to no CPU time.
TEST_F(NetworkWaitTest, StalledTransferFailsQuietly)
{
    server.put("/stall", stalling());
    http.setStallTimeout(1000);
    const double before = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QCoro::waitFor(http.GetHttpText("UTF-8", server.url("/stall"))).isEmpty());
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/stall"), root.file("t.mp3"))), DownloadOutcome::Failed);
    EXPECT_GE(clock.elapsed(), 1800);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_LT(cpuSeconds() - before, 0.3);
}

// A slow but steady body outlasts the stall time-out many times over: only
// silence ends a transfer.
TEST_F(NetworkWaitTest, SteadyTransferLongerThanTheStallTimeOutCompletes)
{
    Resource slow;
    slow.body = trackBytes(12 * 64 * 1024, 5);
    slow.chunkDelay = std::chrono::milliseconds(60);
    server.put("/slow.mp3", slow);
    http.setStallTimeout(200);
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/slow.mp3"), root.file("t.mp3"))), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), QByteArray::fromStdString(slow.body));
}

// cancelAll ends a download in progress and every later request at once.
TEST_F(NetworkWaitTest, CancelAllEndsWaitsAndLaterCalls)
{
    Resource slow;
    slow.body = trackBytes(2 * 1024 * 1024);
    slow.chunkDelay = std::chrono::milliseconds(50);
    server.put("/t.mp3", slow);
    server.put("/page", Resource{});
    QTimer::singleShot(300, &http, [&] { http.cancelAll(); });
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3"))), DownloadOutcome::Cancelled);
    EXPECT_TRUE(http.isCancelled());
    EXPECT_TRUE(QCoro::waitFor(http.GetHttpText("UTF-8", server.url("/page"))).isEmpty());
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), root.file("u.mp3"))), DownloadOutcome::Cancelled);
    EXPECT_EQ(server.requestCount("/page"), 0);
    EXPECT_EQ(server.requestCount("/t.mp3"), 1);
    EXPECT_FALSE(root.allFiles().contains("t.mp3"));
    EXPECT_FALSE(root.allFiles().contains("u.mp3"));
}

// cancelAll ends every wait in progress at once: a page fetch and a
// download side by side on the one event loop, long before their stall
// time-out.
TEST_F(NetworkWaitTest, CancelAllEndsWaitsSideBySide)
{
    server.put("/stall", stalling());
    QTimer::singleShot(200, &http, [&] { http.cancelAll(); });
    QElapsedTimer clock;
    clock.start();
    QCoro::Task<QString> page = http.GetHttpText("UTF-8", server.url("/stall"));
    QCoro::Task<DownloadOutcome> file = downloader.DownloadFile(server.url("/stall"), root.file("t.mp3"));
    EXPECT_TRUE(QCoro::waitFor(page).isEmpty());
    EXPECT_EQ(QCoro::waitFor(file), DownloadOutcome::Cancelled);
    EXPECT_LT(clock.elapsed(), 5000);
}

// Loopback addresses are reached directly even with a proxy in the
// environment (which cannot reach this machine's servers); other hosts go
// through it, and a proxy set on the network object is used for all.
TEST_F(NetworkWaitTest, ProxyFromTheEnvironment)
{
    server.put("/page", [] {
        Resource page;
        page.body = "direct";
        return page;
    }());
    EnvironmentOverride environment;
    const QByteArray deadProxy = QStringLiteral("http://127.0.0.1:%1").arg(closedPort()).toUtf8();
    for (const char *name : {"http_proxy", "HTTP_PROXY"})
        environment.set(name, deadProxy);
    for (const QByteArray &noProxy : {QByteArray("localhost,127.0.0.1"), QByteArray()}) {
        environment.set("no_proxy", noProxy);
        environment.set("NO_PROXY", noProxy);
        ModXmlHttp fresh;
        EXPECT_EQ(QCoro::waitFor(fresh.GetHttpText("UTF-8", server.url("/page"))), QStringLiteral("direct")) << noProxy.constData();
    }
    // A proxy set on the network object is used for this machine too.
    ModXmlHttp deadEnd;
    deadEnd.setProxy(QString::fromLatin1(deadProxy));
    EXPECT_TRUE(QCoro::waitFor(deadEnd.GetHttpText("UTF-8", server.url("/page"))).isEmpty());

    const QByteArray liveProxy = QStringLiteral("http://127.0.0.1:%1").arg(server.port()).toUtf8();
    for (const char *name : {"http_proxy", "HTTP_PROXY"})
        environment.set(name, liveProxy);
    ModXmlHttp proxied;
    proxied.setStallTimeout(5000);
    QCoro::waitFor(proxied.GetHttpText("UTF-8", QStringLiteral("http://music.tavimo.invalid/subject/1/")));
    ASSERT_FALSE(server.requests().empty());
    EXPECT_NE(server.requests().back().path.find("/subject/1/"), std::string::npos);
}

} // namespace
} // namespace tavimo::test
