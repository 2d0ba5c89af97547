#include "net_fixture.h"

#include <QFile>
#include <QStringEncoder>
#include <QUrl>
#include <QTimer>

namespace tavimo::test {
namespace {

using FileDownloadTest = NetTest;

Resource track(const std::string &body)
{
    Resource resource;
    resource.body = body;
    return resource;
}

Resource errorPage(int status, const std::string &body)
{
    Resource resource;
    resource.status = status;
    resource.body = body;
    resource.contentType = "text/html; charset=utf-8";
    return resource;
}

// A track is saved whole under its name, with progress reported up to its size.
TEST_F(FileDownloadTest, SavesTheBodyAndReportsProgress)
{
    const std::string body = trackBytes(3 * 1024 * 1024 + 17);
    server.put("/t.mp3", track(body));
    qint64 lastReceived = -1, lastTotal = -1;
    QObject::connect(&downloader, &FileDownloader::downloadProgress, [&](const QString &path, qint64 received, qint64 total) {
        EXPECT_EQ(path, root.file("t.mp3"));
        EXPECT_GE(received, lastReceived);
        lastReceived = received;
        lastTotal = total;
    });
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
    EXPECT_EQ(lastReceived, qint64(body.size()));
    EXPECT_EQ(lastTotal, qint64(body.size()));
}

// Downloads send no header of their own, unlike page fetches.
TEST_F(FileDownloadTest, SendsNoContentTypeHeader)
{
    server.put("/t.mp3", track("ID3 data"));
    downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_FALSE(server.requests()[0].hasHeader("Content-Type"));
    EXPECT_FALSE(server.requests()[0].hasHeader("Range"));
}

// A file already present is done: no request, not touched, even when empty.
TEST_F(FileDownloadTest, PresentFileIsLeftAlone)
{
    server.put("/t.mp3", track("new"));
    for (const QByteArray &content : {QByteArray(), QByteArray("old")}) {
        root.write("t.mp3", content);
        EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::AlreadyPresent);
        EXPECT_EQ(root.read("t.mp3"), content);
    }
    EXPECT_TRUE(server.requests().empty());
}

// Error replies and broken transfers are not tracks: no file under the name,
// no temporary file, and the outcome says why.
TEST_F(FileDownloadTest, FailuresLeaveNoFileAndSayWhy)
{
    Resource cut = track(trackBytes(300 * 1024));
    cut.dropAfter = 100;
    struct Row {
        const char *name;
        Resource resource;
        QString address;
        QString reason;
    };
    const Row rows[] = {
        {"server error", errorPage(500, "Internal Server Error"), server.url("/t.mp3"), QStringLiteral("HTTP 500")},
        {"forbidden", errorPage(403, trackBytes(200 * 1024)), server.url("/t.mp3"), QStringLiteral("HTTP 403")},
        {"empty body", track(""), server.url("/t.mp3"), QStringLiteral("回复是空的")},
        {"error page", errorPage(200, "<h1>404 Not Found</h1>"), server.url("/t.mp3"), QStringLiteral("文件不存在")},
        {"html page", errorPage(200, "<html>welcome</html>"), server.url("/t.mp3"), QStringLiteral("不是 MP3")},
        {"not found", errorPage(404, "<h1>gone</h1>"), server.url("/t.mp3"), QStringLiteral("HTTP 404")},
        {"refused", track("ID3"), QStringLiteral("http://127.0.0.1:1/t.mp3"), QStringLiteral("onnect")},
        {"unusable address", track("ID3"), QStringLiteral("ftp://127.0.0.1/t.mp3"), QStringLiteral("地址")},
    };
    for (const Row &row : rows) {
        server.put("/t.mp3", row.resource);
        const DownloadEnd end = downloadEnd(row.address, root.file("t.mp3"));
        EXPECT_EQ(end.outcome, DownloadOutcome::Failed) << row.name;
        EXPECT_TRUE(end.reason.contains(row.reason)) << row.name << ": " << end.reason.toStdString();
        EXPECT_TRUE(root.allFiles().isEmpty()) << row.name << ": " << root.allFiles().join(' ').toStdString();
    }
    // A body cut off keeps its bytes for the next run, and says so too.
    server.put("/t.mp3", cut);
    const DownloadEnd end = downloadEnd(server.url("/t.mp3"), root.file("t.mp3"));
    EXPECT_EQ(end.outcome, DownloadOutcome::Failed);
    EXPECT_FALSE(end.reason.isEmpty());
    EXPECT_EQ(root.allFiles(), QStringList{QStringLiteral("t.mp3.part")});
}

// A folder that cannot be written (here: a file stands where the folder
// should be) fails the track with the file system's reason.
TEST_F(FileDownloadTest, UnwritableFolderSaysWhy)
{
    server.put("/t.mp3", track(trackBytes(1000)));
    root.write("plain", "x");
    const DownloadEnd end = downloadEnd(server.url("/t.mp3"), root.file("plain/t.mp3"));
    EXPECT_EQ(end.outcome, DownloadOutcome::Failed);
    EXPECT_TRUE(end.reason.startsWith(QStringLiteral("无法写入文件"))) << end.reason.toStdString();
    EXPECT_EQ(root.read("plain"), "x");
}

// Only a body that starts like an MP3 file (an ID3 tag or a frame sync) is
// saved, however its first bytes arrive; anything else is an error reply.
TEST_F(FileDownloadTest, OnlyBodiesStartingLikeMp3AreSaved)
{
    const std::string noise = trackBytes(200 * 1024).replace(0, 3, "GIF");
    struct Row {
        const char *name;
        std::string body;
        bool saved;
    };
    const Row rows[] = {
        {"ID3 tag", "ID3\x04 tag", true},
        {"MPEG-1 frame", "\xFF\xFB\x90\xC4", true},
        {"MPEG-2.5 frame", "\xFF\xE3\x18", true},
        {"garbage", noise, false},
        {"page", "<html><body>busy</body></html>", false},
        {"lower-case tag", "id3\x04 tag", false},
        {"short sync", "\xFF\xDF\x90\xC4", false},
        {"two bytes", "ID", false},
        {"one byte", "\xFF", false},
    };
    int index = 0;
    for (const Row &row : rows) {
        for (const size_t piece : {size_t(64 * 1024), size_t(1)}) {
            if (piece == 1 && row.body.size() > 100)
                continue; // byte by byte only where it stays quick
            Resource resource = track(row.body);
            resource.pieceBytes = piece;
            resource.chunkDelay = std::chrono::milliseconds(piece == 1 ? 2 : 0);
            const std::string path = "/t" + std::to_string(++index) + ".mp3";
            server.put(path, resource);
            const QString name = QString::fromStdString(path.substr(1));
            EXPECT_EQ(downloader.DownloadFile(server.url(path), root.file(name)),
                      row.saved ? DownloadOutcome::Saved : DownloadOutcome::Failed) << row.name << " in " << piece;
            EXPECT_EQ(root.allFiles(), row.saved ? QStringList{name} : QStringList{}) << row.name << " in " << piece;
            if (row.saved) {
                EXPECT_EQ(root.read(name), bytes(row.body)) << row.name << " in " << piece;
            }
            QFile::remove(root.file(name));
        }
    }
}

// A body cut short of its Content-Length is not saved; its bytes wait for a resume.
TEST_F(FileDownloadTest, ShortBodyIsNotSaved)
{
    Resource cut = track(trackBytes(500 * 1024));
    cut.dropAfter = 200 * 1024;
    server.put("/t.mp3", cut);
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3.part"});
    EXPECT_EQ(root.read("t.mp3.part"), bytes(cut.body.substr(0, 200 * 1024)));
}

// The fallback from "_192k": one second request, to the address without it.
TEST_F(FileDownloadTest, FallsBackOnceFromTheHighBitRate)
{
    struct Row {
        const char *name;
        Resource missing;
    };
    const Row rows[] = {
        {"English marker", errorPage(200, "<html><title>404 Not Found</title></html>")},
        {"Chinese marker", errorPage(200, "<p>您所请求的网址（URL）无法获取</p>")},
        {"HTTP 404", errorPage(404, "gone")},
        {"marker in GBK", [] {
             Resource gbk = errorPage(200, "");
             QStringEncoder toGbk("GBK");
             gbk.body = QByteArray(toGbk.encode(QStringLiteral("您所请求的网址（URL）无法获取"))).toStdString();
             gbk.contentType = "text/html; charset=GBK";
             return gbk;
         }()},
    };
    const std::string ordinary = trackBytes(100 * 1024);
    server.put("/view/song/small/p1.mp3", track(ordinary));
    int expected = 0;
    for (const Row &row : rows) {
        server.put("/view/song/small/p1_192k.mp3", row.missing);
        const QString path = root.file(QString::fromUtf8(row.name) + ".mp3");
        EXPECT_EQ(downloader.DownloadFile(server.url("/view/song/small/p1_192k.mp3"), path), DownloadOutcome::Saved) << row.name;
        ++expected;
        EXPECT_EQ(server.requestCount("/view/song/small/p1_192k.mp3"), expected) << row.name;
        EXPECT_EQ(server.requestCount("/view/song/small/p1.mp3"), expected) << row.name;
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << row.name;
        EXPECT_EQ(saved.readAll(), bytes(ordinary)) << row.name;
    }
}

// When both addresses are missing there is no third request and no file.
TEST_F(FileDownloadTest, FallbackHappensAtMostOnce)
{
    server.put("/a_192k_192k.mp3", errorPage(404, "404 Not Found"));
    server.put("/a.mp3", errorPage(404, "404 Not Found"));
    server.put("/b.mp3", errorPage(404, "404 Not Found"));
    EXPECT_EQ(downloader.DownloadFile(server.url("/a_192k_192k.mp3"), root.file("a.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(downloader.DownloadFile(server.url("/b.mp3"), root.file("b.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(server.requestCount("/a_192k_192k.mp3"), 1);
    EXPECT_EQ(server.requestCount("/a.mp3"), 1);
    EXPECT_EQ(server.requestCount("/b.mp3"), 1);
    EXPECT_EQ(server.requests().size(), 3u);
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// A large track is never read as an error page, whatever bytes it holds.
TEST_F(FileDownloadTest, LargeBodiesAreNotMistakenForErrorPages)
{
    std::string body = trackBytes(300 * 1024);
    body.replace(1000, 13, "404 Not Found");
    server.put("/x_192k.mp3", track(body));
    EXPECT_EQ(downloader.DownloadFile(server.url("/x_192k.mp3"), root.file("x.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("x.mp3"), bytes(body));
    EXPECT_EQ(server.requests().size(), 1u);
}

// Only http and https addresses are requested; anything else fails like a missing track.
TEST_F(FileDownloadTest, OnlyWebAddressesAreFetched)
{
    root.write("secret.txt", "local file");
    for (const QString &address : {QUrl::fromLocalFile(root.file("secret.txt")).toString(),
                                   QStringLiteral("data:audio/mpeg,ID3"), QStringLiteral("ftp://127.0.0.1/x_192k.mp3"),
                                   QStringLiteral("")}) {
        EXPECT_EQ(downloader.DownloadFile(address, root.file("t.mp3")), DownloadOutcome::Failed) << address.toStdString();
    }
    EXPECT_EQ(root.allFiles(), QStringList{"secret.txt"});
}

// A redirect is followed and the final body saved.
TEST_F(FileDownloadTest, FollowsRedirects)
{
    Resource moved = errorPage(302, "moved");
    moved.location = "/real.mp3";
    server.put("/moved.mp3", moved);
    server.put("/real.mp3", track(trackBytes(70 * 1024)));
    EXPECT_EQ(downloader.DownloadFile(server.url("/moved.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(trackBytes(70 * 1024)));
}

// A missing folder means no file, and nothing is said.
TEST_F(FileDownloadTest, MissingFolderFails)
{
    server.put("/t.mp3", track("ID3 data"));
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("absent/t.mp3")), DownloadOutcome::Failed);
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// A file put at the path during the wait is kept; the finished download yields to it.
TEST_F(FileDownloadTest, FileArrivingMeanwhileIsKept)
{
    Resource slow = track(trackBytes(256 * 1024));
    slow.chunkDelay = std::chrono::milliseconds(100);
    server.put("/t.mp3", slow);
    QTimer::singleShot(50, &http, [&] { root.write("t.mp3", "other download"); });
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::AlreadyPresent);
    EXPECT_EQ(root.read("t.mp3"), QByteArray("other download"));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
}

// Downloads nest inside each other's waits; one path is never written by two at once.
TEST_F(FileDownloadTest, NestedDownloads)
{
    Resource slow = track(trackBytes(512 * 1024, 1));
    slow.chunkDelay = std::chrono::milliseconds(40);
    server.put("/outer.mp3", slow);
    server.put("/inner.mp3", track(trackBytes(2 * 1024 * 1024, 2)));
    DownloadOutcome inner = DownloadOutcome::Cancelled, samePath = DownloadOutcome::Cancelled;
    QTimer::singleShot(60, &http, [&] {
        inner = downloader.DownloadFile(server.url("/inner.mp3"), root.file("inner.mp3"));
        samePath = downloader.DownloadFile(server.url("/inner.mp3"), root.file("outer.mp3"));
    });
    EXPECT_EQ(downloader.DownloadFile(server.url("/outer.mp3"), root.file("outer.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(inner, DownloadOutcome::Saved);
    EXPECT_EQ(samePath, DownloadOutcome::Failed);
    EXPECT_EQ(root.read("outer.mp3"), bytes(slow.body));
    EXPECT_EQ(root.read("inner.mp3"), bytes(trackBytes(2 * 1024 * 1024, 2)));
    EXPECT_EQ(root.allFiles(), (QStringList{"inner.mp3", "outer.mp3"}));
}

} // namespace
} // namespace tavimo::test
