#include "net_fixture.h"

#include <QFileInfo>
#include <QStringEncoder>
#include <QTimer>

#include <optional>
#include <utility>

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

// A track is saved whole under its name, with progress reported up to its
// size; the request carries no header of its own, unlike page fetches.
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
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3"))), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
    EXPECT_EQ(lastReceived, qint64(body.size()));
    EXPECT_EQ(lastTotal, qint64(body.size()));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_FALSE(server.requests()[0].hasHeader("Content-Type"));
    EXPECT_FALSE(server.requests()[0].hasHeader("Range"));
}

struct OutcomeRow {
    const char *name;
    Resource resource; // served at /t.mp3
    DownloadOutcome outcome;
    QString reason = {};           // what the reason a failure gives contains
    const char *address = nullptr; // requested instead of /t.mp3 when set
    QString target = "t.mp3";      // the file asked for, in a fresh folder
    QString before = {};           // a file there before, holding "old"
};

// Only a body that starts like an MP3 file (an ID3 tag or a frame sync) is
// saved, however its first bytes arrive. Error replies, broken transfers and
// unusable addresses or folders leave no file under the name and no temporary
// file, and the outcome says why. A file already present is done: no
// request, not touched.
TEST_F(FileDownloadTest, OutcomesAndWhatTheyLeave)
{
    const QString unusable = QStringLiteral("地址无法识别");
    const OutcomeRow rows[] = {
        {"ID3 tag", track("ID3\x04 tag"), DownloadOutcome::Saved},
        {"MPEG-1 frame", track("\xFF\xFB\x90\xC4"), DownloadOutcome::Saved},
        {"MPEG-2.5 frame", track("\xFF\xE3\x18"), DownloadOutcome::Saved},
        {"garbage", track(trackBytes(200 * 1024).replace(0, 3, "GIF")), DownloadOutcome::Failed, "不是 MP3"},
        {"page", track("<html><body>busy</body></html>"), DownloadOutcome::Failed, "不是 MP3"},
        {"lower-case tag", track("id3\x04 tag"), DownloadOutcome::Failed, "不是 MP3"},
        {"short sync", track("\xFF\xDF\x90\xC4"), DownloadOutcome::Failed, "不是 MP3"},
        {"two bytes", track("ID"), DownloadOutcome::Failed, "不是 MP3"},
        {"one byte", track("\xFF"), DownloadOutcome::Failed, "不是 MP3"},
        {"empty body", track(""), DownloadOutcome::Failed, "回复是空的"},
        {"server error", errorPage(500, "Internal Server Error"), DownloadOutcome::Failed, "HTTP 500"},
        {"forbidden", errorPage(403, trackBytes(200 * 1024)), DownloadOutcome::Failed, "HTTP 403"},
        {"not found", errorPage(404, "<h1>gone</h1>"), DownloadOutcome::Failed, "HTTP 404"},
        {"error page", errorPage(200, "<h1>404 Not Found</h1>"), DownloadOutcome::Failed, "文件不存在"},
        {"refused", track("ID3"), DownloadOutcome::Failed, "onnect", "http://127.0.0.1:1/t.mp3"},
        {"ftp address", track("ID3"), DownloadOutcome::Failed, unusable, "ftp://127.0.0.1/t.mp3"},
        {"local file", track("ID3"), DownloadOutcome::Failed, unusable, "file:///etc/hostname"},
        {"data address", track("ID3"), DownloadOutcome::Failed, unusable, "data:audio/mpeg,ID3"},
        {"no address", track("ID3"), DownloadOutcome::Failed, unusable, ""},
        // A file stands where the folder should be: the file system's reason.
        {"unwritable folder", track("ID3 data"), DownloadOutcome::Failed, "无法写入文件", nullptr, "plain/t.mp3", "plain"},
        {"missing folder", track("ID3 data"), DownloadOutcome::Failed, {}, nullptr, "absent/t.mp3"},
        {"present", track("ID3 new"), DownloadOutcome::AlreadyPresent, {}, nullptr, "t.mp3", "t.mp3"},
    };
    for (const OutcomeRow &row : rows) {
        for (const size_t piece : {size_t(64 * 1024), size_t(1)}) {
            if (piece == 1 && row.resource.body.size() > 100)
                continue; // byte by byte only where it stays quick
            SCOPED_TRACE(std::string(row.name) + " in pieces of " + std::to_string(piece));
            TempRoot folder;
            if (!row.before.isEmpty())
                folder.write(row.before, "old");
            Resource resource = row.resource;
            resource.pieceBytes = piece;
            resource.chunkDelay = std::chrono::milliseconds(piece == 1 ? 2 : 0);
            server.put("/t.mp3", resource);
            const int requestsBefore = server.requestCount("/t.mp3");
            const QString address = row.address == nullptr ? server.url("/t.mp3") : QString::fromUtf8(row.address);
            const DownloadEnd end = downloadEnd(address, folder.file(row.target));
            EXPECT_EQ(end.outcome, row.outcome);
            EXPECT_TRUE(end.reason.contains(row.reason)) << end.reason.toStdString();
            QStringList left = row.outcome == DownloadOutcome::Failed ? QStringList{} : QStringList{row.target};
            if (!row.before.isEmpty() && row.before != row.target)
                left.append(row.before);
            EXPECT_EQ(folder.allFiles(), left);
            if (row.outcome == DownloadOutcome::Saved) {
                EXPECT_EQ(folder.read(row.target), bytes(row.resource.body));
            }
            if (!row.before.isEmpty()) {
                EXPECT_EQ(folder.read(row.before), "old");
            }
            if (row.outcome == DownloadOutcome::AlreadyPresent) {
                EXPECT_EQ(server.requestCount("/t.mp3"), requestsBefore);
            }
        }
    }
}

struct FallbackRow {
    const char *name;
    const char *mark; // what the requested address holds before ".mp3"
    Resource high;    // served at the requested address
    Resource plain;   // served at the address without the mark
    DownloadOutcome outcome;
    int requests;
};

// A track missing at the high bit rate, as an error page in any of its forms
// or a 404, is asked for once more at the address without "_192k" (every one
// of them); never a third time, nor when the address has no mark. A large
// track is never read as an error page, whatever bytes it holds.
TEST_F(FileDownloadTest, FallsBackOnceFromTheHighBitRate)
{
    Resource gbk = errorPage(200, "");
    QStringEncoder toGbk("GBK");
    gbk.body = QByteArray(toGbk.encode(QStringLiteral("您所请求的网址（URL）无法获取"))).toStdString();
    gbk.contentType = "text/html; charset=GBK";
    std::string large = trackBytes(300 * 1024);
    large.replace(1000, 13, "404 Not Found");
    const Resource ordinary = track(trackBytes(100 * 1024));
    const Resource missing = errorPage(404, "404 Not Found");
    const FallbackRow rows[] = {
        {"English marker", "_192k", errorPage(200, "<html><title>404 Not Found</title></html>"), ordinary,
         DownloadOutcome::Saved, 2},
        {"Chinese marker", "_192k", errorPage(200, "<p>您所请求的网址（URL）无法获取</p>"), ordinary,
         DownloadOutcome::Saved, 2},
        {"marker in GBK", "_192k", gbk, ordinary, DownloadOutcome::Saved, 2},
        {"HTTP 404", "_192k", missing, ordinary, DownloadOutcome::Saved, 2},
        {"large track", "_192k", track(large), ordinary, DownloadOutcome::Saved, 1},
        {"missing at both", "_192k", missing, missing, DownloadOutcome::Failed, 2},
        {"mark twice", "_192k_192k", missing, missing, DownloadOutcome::Failed, 2},
        {"no mark", "", missing, missing, DownloadOutcome::Failed, 1},
    };
    int index = 0;
    for (const FallbackRow &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string plain = "/p" + std::to_string(++index) + ".mp3";
        const std::string requested = plain.substr(0, plain.size() - 4) + row.mark + ".mp3";
        server.put(plain, row.plain);
        server.put(requested, row.high);
        const size_t before = server.requests().size();
        TempRoot folder;
        EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url(requested), folder.file("t.mp3"))), row.outcome);
        ASSERT_EQ(server.requests().size() - before, size_t(row.requests));
        EXPECT_EQ(server.requests().back().path, row.requests == 2 ? plain : requested);
        const Resource &saved = row.requests == 2 ? row.plain : row.high;
        EXPECT_EQ(folder.allFiles(), row.outcome == DownloadOutcome::Saved ? QStringList{"t.mp3"} : QStringList{});
        EXPECT_EQ(folder.read("t.mp3"), row.outcome == DownloadOutcome::Saved ? bytes(saved.body) : QByteArray());
    }
}

// A file put at the path during the wait is kept; the finished download yields to it.
TEST_F(FileDownloadTest, FileArrivingMeanwhileIsKept)
{
    Resource slow = track(trackBytes(256 * 1024));
    slow.chunkDelay = std::chrono::milliseconds(100);
    server.put("/t.mp3", slow);
    QObject::connect(&downloader, &FileDownloader::downloadProgress, [&] {
        if (!QFileInfo::exists(root.file("t.mp3")))
            root.write("t.mp3", "other download");
    });
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3"))), DownloadOutcome::AlreadyPresent);
    EXPECT_EQ(root.read("t.mp3"), QByteArray("other download"));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
}

// Downloads started while another runs go on beside it; one path is never
// written by two at once.
TEST_F(FileDownloadTest, DownloadsSideBySide)
{
    Resource slow = track(trackBytes(512 * 1024, 1));
    slow.chunkDelay = std::chrono::milliseconds(40);
    server.put("/outer.mp3", slow);
    server.put("/inner.mp3", track(trackBytes(2 * 1024 * 1024, 2)));
    std::optional<QCoro::Task<DownloadOutcome>> inner, samePath;
    // Queued: progress is told from inside the transfer, and a click that
    // starts another arrives from the event loop.
    QObject::connect(
        &downloader, &FileDownloader::downloadProgress, &http,
        [&] {
            if (inner)
                return;
            inner = downloader.DownloadFile(server.url("/inner.mp3"), root.file("inner.mp3"));
            samePath = downloader.DownloadFile(server.url("/inner.mp3"), root.file("outer.mp3"));
        },
        Qt::QueuedConnection);
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/outer.mp3"), root.file("outer.mp3"))), DownloadOutcome::Saved);
    ASSERT_TRUE(inner && samePath);
    EXPECT_EQ(QCoro::waitFor(*inner), DownloadOutcome::Saved);
    EXPECT_EQ(QCoro::waitFor(*samePath), DownloadOutcome::Failed);
    EXPECT_EQ(root.read("outer.mp3"), bytes(slow.body));
    EXPECT_EQ(root.read("inner.mp3"), bytes(trackBytes(2 * 1024 * 1024, 2)));
    EXPECT_EQ(root.allFiles(), (QStringList{"inner.mp3", "outer.mp3"}));
}

} // namespace
} // namespace tavimo::test
