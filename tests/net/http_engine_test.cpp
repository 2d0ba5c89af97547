#include "net_fixture.h"

#include "tests/support/emulated_service.h"
#include "net/cookie_store.h"
#include "tests/support/cookie_line.h"

#include <QFile>

#include <algorithm>

namespace tavimo::test {
namespace {

using CookieStoreTest = NetTest;

class ProxiedService : public EmulatedService {
protected:
    QByteArray proxyAddress() const { return "http://127.0.0.1:" + QByteArray::number(emulator.proxyPort()); }
    const emu::Album &album() const { return emulator.catalogue().album(emu::AlbumCase::Plain); }

    TempRoot root;
};

// The built-in host names reach the service through a proxy, whether it is
// set on the network object (the demo) or comes from the environment; pages
// and tracks alike go through it.
TEST_F(ProxiedService, EveryRequestGoesThroughTheProxy)
{
    const ServiceHosts hosts = ServiceHosts::builtIn();
    const QString page = hosts.catalogueAddress(QStringLiteral("/subject/%1/").arg(QString::fromStdString(album().number)));
    const QString track = hosts.audioAddress(QStringLiteral("/view/song/small/p%1.mp3")
                                                 .arg(QString::fromStdString(album().tracks.front().songId)));
    for (const bool fromEnvironment : {false, true}) {
        emulator.clearRequestLog();
        ModXmlHttp http;
        FileDownloader downloader(http);
        EnvironmentOverride environment;
        if (fromEnvironment)
            environment.set("http_proxy", proxyAddress());
        else
            http.setProxy(QString::fromLatin1(proxyAddress()));
        EXPECT_TRUE(QCoro::waitFor(http.GetHttpText("UTF-8", page)).contains(QString::fromStdString(album().title))) << fromEnvironment;
        const QString file = root.file(QStringLiteral("%1.mp3").arg(fromEnvironment));
        EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(track, file)), DownloadOutcome::Saved) << fromEnvironment;
        const std::vector<emu::RequestRecord> log = emulator.requestLog();
        ASSERT_GE(log.size(), 2u);
        for (const emu::RequestRecord &request : log)
            EXPECT_TRUE(request.viaProxy) << request.address;
    }
}

// Addresses go out as written: the playlist query's "|" stays, only what a
// request line cannot carry (non-ASCII, blanks) is percent-encoded.
TEST_F(ProxiedService, AddressesGoOutAsWritten)
{
    ModXmlHttp http;
    const struct {
        QString path;
        std::string target;
    } rows[] = {
        {QStringLiteral("/j/mine/playlist?type=n&context=channel:0|subject_id:1400101"),
         "/j/mine/playlist?type=n&context=channel:0|subject_id:1400101"},
        {QStringLiteral("/search?q=月亮 Band"), "/search?q=%E6%9C%88%E4%BA%AE%20Band"},
    };
    for (const auto &row : rows) {
        emulator.clearRequestLog();
        QCoro::waitFor(http.GetHttpText("UTF-8", emulator.hosts().radioAddress(row.path)));
        const std::vector<emu::RequestRecord> log = emulator.requestLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].target, row.target);
    }
}

// A browser export: comments, an HttpOnly line, CRLF ends, a cookie of
// another site and damaged lines. What fits this server goes out with the
// next request; nothing else does.
TEST_F(CookieStoreTest, ReadsACookiesFileAndSendsWhatFits)
{
    server.put("/page", Resource{});
    root.write(QStringLiteral("cookies.txt"), "# Netscape HTTP Cookie File\r\n"
                                              "\r\n"
                                              "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tabc123\r\n"
                                              "example.com\tTRUE\t/\tFALSE\t0\tother\tx\r\n"
                                              "short\tline\r\n"
                                              "127.0.0.1 FALSE / FALSE 0 blanks v\r\n");
    QString error;
    ASSERT_TRUE(http.cookies().load(root.file(QStringLiteral("cookies.txt")), error));
    EXPECT_TRUE(http.cookies().holdsCookieFor(QStringLiteral("127.0.0.1:%1").arg(server.port())));
    QCoro::waitFor(http.GetHttpText("UTF-8", server.url("/page")));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("Cookie"), "sid=abc123");
}

// A missing file and one too large to be a cookies file are errors with a
// reason, and bring no cookie.
TEST_F(CookieStoreTest, MissingAndOversizedFilesAreErrors)
{
    const QString large = root.file(QStringLiteral("large.txt"));
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(9 * 1024 * 1024));
    file.close();
    for (const QString &path : {QStringLiteral("/nonexistent/cookies.txt"), large}) {
        QString error;
        EXPECT_FALSE(http.cookies().load(path, error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty()) << path.toStdString();
        EXPECT_TRUE(http.cookies().lines().isEmpty()) << path.toStdString();
    }
}

// A saved store reads back the same in a new network object, readable by
// its owner only; a cookie taken away is not saved.
TEST_F(CookieStoreTest, SavedStoreReadsBack)
{
    http.cookies().insert(CookieLine(QStringLiteral("radio.tavimo.com"), "session=signed-in"));
    http.cookies().insert("#HttpOnly_.tavimo.com\tTRUE\t/\tTRUE\t4102444800\tpref\ta=b c");
    http.cookies().insert("music.tavimo.com\tFALSE\t/\tFALSE\t0\tgone\tx");
    http.cookies().insert("music.tavimo.com\tFALSE\t/\tFALSE\t1\tgone\tx");
    const QString path = root.file(QStringLiteral("kept.txt"));
    ASSERT_TRUE(http.cookies().save(path));
    EXPECT_EQ(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());

    ModXmlHttp later;
    QString error;
    ASSERT_TRUE(later.cookies().load(path, error));
    QList<QByteArray> lines = later.cookies().lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (QList<QByteArray>{"#HttpOnly_.tavimo.com\tTRUE\t/\tTRUE\t4102444800\tpref\ta=b c",
                                        "radio.tavimo.com\tFALSE\t/\tFALSE\t0\tsession\tsigned-in"}));
}

// Which hosts a held cookie goes to.
TEST_F(CookieStoreTest, HoldsCookieForMatchesDomains)
{
    const struct {
        QByteArray domain;
        bool subdomains;
        QString host;
        bool holds;
    } rows[] = {
        {".tavimo.com", true, QStringLiteral("radio.tavimo.com"), true},
        {"tavimo.com", true, QStringLiteral("radio.tavimo.com"), true},
        {"tavimo.com", false, QStringLiteral("radio.tavimo.com"), false},
        {"radio.tavimo.com", false, QStringLiteral("RADIO.tavimo.com:8080"), true},
        {"tavimo.com", true, QStringLiteral("eviltavimo.com"), false},
        {"music.tavimo.com", false, QStringLiteral("radio.tavimo.com"), false},
    };
    for (const auto &row : rows) {
        ModXmlHttp fresh;
        fresh.cookies().insert(row.domain + (row.subdomains ? "\tTRUE" : "\tFALSE") + "\t/\tFALSE\t0\tn\tv");
        EXPECT_EQ(fresh.cookies().holdsCookieFor(row.host), row.holds) << row.domain.constData() << " "
                                                                        << row.host.toStdString();
    }
}

} // namespace
} // namespace tavimo::test
