#include "net_fixture.h"

#include "download/part_source.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavimo::test {
namespace {

using DownloadResumeTest = NetTest;

constexpr size_t kTrackSize = 700 * 1024;
constexpr size_t kKept = 250 * 1024;

Resource track(const std::string &body, RangeAnswer range = RangeAnswer::Honour)
{
    Resource resource;
    resource.body = body;
    resource.range = range;
    return resource;
}

struct KeptRow {
    const char *name;
    QByteArray kept;      // in t.mp3.part before the download
    const char *keptFrom; // the address recorded for them; nullptr: none
    const char *requested;
    DownloadOutcome outcome;
    std::string range; // the last request's Range header, "" for none
    RangeAnswer answer = RangeAnswer::Honour;
    int status = 200; // of the wanted track at /p2.mp3, with a page of its own when not 200
    bool resume = true;
};

// What becomes of bytes an earlier attempt kept. They are continued with a
// range request when the server agrees (206) and thrown away when it sends
// the whole file (200); both give the same file. Kept bytes that already are
// the whole file (a run stopped just before the rename) are taken as they
// are; bytes the server's answer cannot continue, or of a track that now
// answers with an error, are removed. Kept bytes wait through the fallback
// from "_192k". Kept bytes from any other address are started over, never
// continued: an equally named track, the other bit rate, or bytes of unknown
// origin would pass the range check (same length) and splice two songs.
TEST_F(DownloadResumeTest, KeptBytesAreContinuedOnlyWhereTheyFit)
{
    const std::string wanted = trackBytes(kTrackSize, 11);
    const QByteArray start = bytes(wanted.substr(0, kKept));
    const QByteArray other = bytes(trackBytes(kTrackSize, 12).substr(0, kKept));
    const std::string rest = "bytes=" + std::to_string(kKept) + "-";
    const std::string end = "bytes=" + std::to_string(kTrackSize) + "-";
    const KeptRow rows[] = {
        {"206 continues", start, "/p2.mp3", "/p2.mp3", DownloadOutcome::Saved, rest},
        // Wrong kept bytes show that a whole-file answer replaces them.
        {"200 replaces", QByteArray(kKept, 'x'), "/p2.mp3", "/p2.mp3", DownloadOutcome::Saved, rest,
         RangeAnswer::Ignore},
        {"whole file kept", bytes(wanted), "/p2.mp3", "/p2.mp3", DownloadOutcome::Saved, end},
        {"more than the file kept", bytes(wanted + "more"), "/p2.mp3", "/p2.mp3", DownloadOutcome::Failed,
         "bytes=" + std::to_string(kTrackSize + 4) + "-"},
        {"range not continuing", start, "/p2.mp3", "/p2.mp3", DownloadOutcome::Failed, rest, RangeAnswer::WrongStart},
        {"error reply", start, "/p2.mp3", "/p2.mp3", DownloadOutcome::Failed, rest, RangeAnswer::Honour, 410},
        {"through the fallback", start, "/p2.mp3", "/p2_192k.mp3", DownloadOutcome::Saved, rest},
        {"resuming off", QByteArray(kKept, 'x'), "/p2.mp3", "/p2.mp3", DownloadOutcome::Saved, "", RangeAnswer::Honour,
         200, false},
        {"equally named track", other, "/p1.mp3", "/p2.mp3", DownloadOutcome::Saved, ""},
        {"high bit rate, then the fallback", other, "/p2_192k.mp3", "/p2_192k.mp3", DownloadOutcome::Saved, ""},
        {"unknown origin", other, nullptr, "/p2.mp3", DownloadOutcome::Saved, ""},
    };
    Resource missing;
    missing.status = 404;
    missing.body = "404 Not Found";
    server.put("/p1.mp3", track(trackBytes(kTrackSize, 12)));
    server.put("/p2_192k.mp3", missing);
    for (const KeptRow &row : rows) {
        SCOPED_TRACE(row.name);
        Resource served = track(row.status == 200 ? wanted : "Gone", row.answer);
        served.status = row.status;
        server.put("/p2.mp3", served);
        TempRoot folder;
        if (row.keptFrom != nullptr)
            keepPart(folder, "t.mp3", row.kept, row.keptFrom);
        else
            folder.write("t.mp3.part", row.kept);
        downloader.setResumeEnabled(row.resume);
        EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url(row.requested), folder.file("t.mp3"))),
                  row.outcome);
        EXPECT_EQ(server.requests().back().path, "/p2.mp3");
        EXPECT_EQ(server.requests().back().header("Range"), row.range);
        const bool saved = row.outcome == DownloadOutcome::Saved;
        EXPECT_EQ(folder.allFiles(), saved ? QStringList{"t.mp3"} : QStringList{});
        EXPECT_EQ(folder.read("t.mp3"), saved ? bytes(wanted) : QByteArray());
    }
}

// An attempt that ends early keeps the bytes so far, whether the transfer
// breaks off or the downloader goes in the middle of it (the network object
// goes on); the next call finishes from where it stopped, and the finished
// file keeps no record of where its bytes came from.
TEST_F(DownloadResumeTest, AnAttemptEndedEarlyIsContinuedByTheNext)
{
    const std::string body = trackBytes(kTrackSize, 3);
    Resource cut = track(body);
    cut.dropAfter = 3 * 64 * 1024;
    Resource slow = track(body);
    slow.pieceBytes = 16 * 1024;
    slow.chunkDelay = std::chrono::milliseconds(30);
    const struct {
        const char *name;
        Resource first;
        std::function<void(const QString &url, const QString &path)> attempt;
    } rows[] = {
        {"broken off", cut,
         [&](const QString &url, const QString &path) {
             EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(url, path)), DownloadOutcome::Failed);
         }},
        {"downloader gone", slow,
         [&](const QString &url, const QString &path) {
             FileDownloader early(http);
             const QCoro::Task<DownloadEnd> unfinished = early.download(TrackFile{url, path, {}});
             QEventLoop loop;
             QObject::connect(&early, &FileDownloader::downloadProgress, &loop, [&](const QString &, qint64 received) {
                 if (received >= qint64(3 * slow.pieceBytes))
                     loop.quit();
             });
             loop.exec();
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TempRoot folder;
        server.put("/t.mp3", row.first);
        row.attempt(server.url("/t.mp3"), folder.file("t.mp3"));
        ASSERT_EQ(folder.allFiles(), QStringList{"t.mp3.part"});
        const qint64 kept = QFileInfo(folder.file("t.mp3.part")).size();

        server.put("/t.mp3", track(body));
        qint64 firstReported = -1;
        const QMetaObject::Connection progress = QObject::connect(&downloader, &FileDownloader::downloadProgress,
                                                                  [&](const QString &, qint64 received, qint64 total) {
                                                                      if (firstReported < 0)
                                                                          firstReported = received;
                                                                      EXPECT_EQ(total, qint64(body.size()));
                                                                  });
        EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), folder.file("t.mp3"))),
                  DownloadOutcome::Saved);
        QObject::disconnect(progress);
        EXPECT_EQ(folder.read("t.mp3"), bytes(body));
        EXPECT_EQ(folder.allFiles(), QStringList{"t.mp3"});
        EXPECT_TRUE(PartSource(folder.file("t.mp3")).isEmpty());
        EXPECT_EQ(server.requests().back().header("Range"), "bytes=" + std::to_string(kept) + "-");
        EXPECT_GT(firstReported, kept);
    }
}

// Two tracks under one name, both cut off in turn: the next try of the first
// gets the first whole, not its start with the second's rest.
TEST_F(DownloadResumeTest, EquallyNamedTracksNeverShareKeptBytes)
{
    const std::string first = trackBytes(kTrackSize, 21);
    const std::string second = trackBytes(kTrackSize, 22);
    for (const auto &[path, body] : {std::pair{"/first.mp3", first}, std::pair{"/second.mp3", second}}) {
        Resource cut = track(body);
        cut.dropAfter = kKept;
        server.put(path, cut);
        EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url(path), root.file("t.mp3"))),
                  DownloadOutcome::Failed)
            << path;
        EXPECT_FALSE(server.requests().back().hasHeader("Range")) << path;
    }
    server.put("/first.mp3", track(first));
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/first.mp3"), root.file("t.mp3"))),
              DownloadOutcome::Saved);
    EXPECT_FALSE(server.requests().back().hasHeader("Range"));
    EXPECT_EQ(root.read("t.mp3"), bytes(first));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
}

// Kept bytes another copy of the program is writing (it holds the file's
// lock) are neither continued, restarted nor removed: the track fails and
// the other writer's file stays as it is; once free, it is continued.
TEST_F(DownloadResumeTest, KeptBytesAnotherWriterHoldsAreLeftAlone)
{
    const std::string body = trackBytes(kTrackSize, 13);
    server.put("/t.mp3", track(body));
    const QString part = root.file("t.mp3.part");
    root.write("t.mp3.part", bytes(body.substr(0, kKept)));
    ASSERT_TRUE(RecordPartSource(part, server.url("/t.mp3")));
    const int otherWriter = ::open(QFile::encodeName(part).constData(), O_WRONLY);
    ASSERT_GE(otherWriter, 0);
    ASSERT_EQ(flock(otherWriter, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3"))),
              DownloadOutcome::Failed);
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3.part"});
    EXPECT_EQ(root.read("t.mp3.part"), bytes(body.substr(0, kKept)));

    ::close(otherWriter);
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3"))),
              DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
}

} // namespace
} // namespace tavimo::test
