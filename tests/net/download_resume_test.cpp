#include "net_fixture.h"

#include "download/part_source.h"

#include <QFile>
#include <QTimer>

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

// Kept bytes are continued with a range request when the server agrees (206),
// and thrown away when it sends the whole file (200); both give the same file.
TEST_F(DownloadResumeTest, ResumedFileIsIdenticalToAWholeOne)
{
    const std::string body = trackBytes(kTrackSize);
    struct Row {
        const char *name;
        RangeAnswer answer;
        QByteArray kept;
    };
    const Row rows[] = {
        {"206 continues", RangeAnswer::Honour, bytes(body.substr(0, kKept))},
        // Wrong kept bytes show that a whole-file answer replaces them.
        {"200 replaces", RangeAnswer::Ignore, QByteArray(kKept, 'x')},
    };
    for (const Row &row : rows) {
        TempRoot folder;
        server.put("/t.mp3", track(body, row.answer));
        keepPart(folder, "t.mp3", row.kept, "/t.mp3");
        EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), folder.file("t.mp3")), DownloadOutcome::Saved) << row.name;
        EXPECT_EQ(folder.read("t.mp3"), bytes(body)) << row.name;
        EXPECT_EQ(folder.allFiles(), QStringList{"t.mp3"}) << row.name;
        EXPECT_EQ(server.requests().back().header("Range"), "bytes=" + std::to_string(kKept) + "-") << row.name;
    }
}

// Kept bytes that already are the whole file (a run stopped just before the
// rename) are taken as they are when the server says nothing is left to send;
// kept bytes longer than the server's file are thrown away.
TEST_F(DownloadResumeTest, KeptWholeFileIsTakenAsItIs)
{
    const std::string body = trackBytes(kTrackSize, 5);
    server.put("/t.mp3", track(body));
    keepPart(root, "t.mp3", bytes(body), "/t.mp3");
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
    EXPECT_EQ(server.requests().size(), 1u);

    keepPart(root, "u.mp3", bytes(body + "more"), "/t.mp3");
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("u.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("u.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("u.mp3"), bytes(body));
}

// A transfer that breaks off is finished by the next call from where it
// stopped; the finished file keeps no record of where its bytes came from.
TEST_F(DownloadResumeTest, InterruptedDownloadResumesOnTheNextCall)
{
    const std::string body = trackBytes(kTrackSize, 3);
    Resource cut = track(body);
    cut.dropAfter = 3 * 64 * 1024;
    server.put("/t.mp3", cut);
    qint64 firstReported = -1;
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3.part"});

    server.put("/t.mp3", track(body));
    QObject::connect(&downloader, &FileDownloader::downloadProgress, [&](const QString &, qint64 received, qint64 total) {
        if (firstReported < 0)
            firstReported = received;
        EXPECT_EQ(total, qint64(body.size()));
    });
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
    EXPECT_TRUE(PartSource(root.file("t.mp3")).isEmpty());
    EXPECT_EQ(server.requests().back().header("Range"), "bytes=" + std::to_string(cut.dropAfter) + "-");
    EXPECT_GT(firstReported, qint64(cut.dropAfter));
}

// A downloader that goes in the middle of a download ends it and keeps the
// bytes so far; the network object goes on, and a later download continues
// from those bytes.
TEST_F(DownloadResumeTest, DownloaderGoingMidTransferLeavesAResumablePart)
{
    const std::string body = trackBytes(kTrackSize);
    Resource slow = track(body);
    slow.pieceBytes = 16 * 1024;
    slow.chunkDelay = std::chrono::milliseconds(30);
    server.put("/t.mp3", slow);
    {
        FileDownloader early(http);
        early.StartDownloadFile(server.url("/t.mp3"), root.file("t.mp3"), [](const DownloadEnd &) {});
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
        loop.exec();
    }
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3.part"});

    server.put("/t.mp3", track(body));
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_TRUE(server.requests().back().hasHeader("Range"));
}

// A range answer that does not continue the kept bytes cannot make the file.
TEST_F(DownloadResumeTest, MismatchedRangeIsRefused)
{
    server.put("/t.mp3", track(trackBytes(kTrackSize), RangeAnswer::WrongStart));
    keepPart(root, "t.mp3", bytes(trackBytes(kKept)), "/t.mp3");
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Failed);
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// Kept bytes of a track that now answers with an error are removed.
TEST_F(DownloadResumeTest, ErrorReplyRemovesKeptBytes)
{
    Resource gone;
    gone.status = 410;
    gone.body = "Gone";
    server.put("/t.mp3", gone);
    keepPart(root, "t.mp3", "partial", "/t.mp3");
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Failed);
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// Kept bytes wait through the fallback and are continued at the ordinary address.
TEST_F(DownloadResumeTest, FallbackContinuesKeptBytes)
{
    const std::string body = trackBytes(kTrackSize, 5);
    Resource missing;
    missing.status = 404;
    missing.body = "404 Not Found";
    server.put("/p9_192k.mp3", missing);
    server.put("/p9.mp3", track(body));
    keepPart(root, "t.mp3", bytes(body.substr(0, kKept)), "/p9.mp3");
    EXPECT_EQ(downloader.DownloadFile(server.url("/p9_192k.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(server.requests().back().header("Range"), "bytes=" + std::to_string(kKept) + "-");
}

// With resuming switched off the kept bytes are ignored and overwritten.
TEST_F(DownloadResumeTest, ResumeCanBeSwitchedOff)
{
    const std::string body = trackBytes(kTrackSize);
    server.put("/t.mp3", track(body));
    keepPart(root, "t.mp3", QByteArray(kKept, 'x'), "/t.mp3");
    downloader.setResumeEnabled(false);
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_FALSE(server.requests().back().hasHeader("Range"));
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
}

// Kept bytes from any other address are started over, never continued: an
// equally named track, the other bit rate, or bytes of unknown origin would
// pass the range check (same length) and splice two songs.
TEST_F(DownloadResumeTest, KeptBytesOfAnotherAddressAreStartedOver)
{
    const std::string wanted = trackBytes(kTrackSize, 11);
    const std::string other = trackBytes(kTrackSize, 12);
    const QByteArray kept = bytes(other.substr(0, kKept));
    Resource missing;
    missing.status = 404;
    missing.body = "404 Not Found";
    struct Row {
        const char *name;
        const char *keptFrom; // nullptr: bytes without a recorded address
        const char *requested;
    };
    const Row rows[] = {
        {"equally named track", "/p1.mp3", "/p2.mp3"},
        {"high bit rate, then the fallback", "/p2_192k.mp3", "/p2_192k.mp3"},
        {"unknown origin", nullptr, "/p2.mp3"},
    };
    for (const Row &row : rows) {
        TempRoot folder;
        server.put("/p1.mp3", track(other));
        server.put("/p2_192k.mp3", missing);
        server.put("/p2.mp3", track(wanted));
        if (row.keptFrom != nullptr)
            keepPart(folder, "t.mp3", kept, row.keptFrom);
        else
            folder.write("t.mp3.part", kept);
        EXPECT_EQ(downloader.DownloadFile(server.url(row.requested), folder.file("t.mp3")), DownloadOutcome::Saved) << row.name;
        EXPECT_EQ(folder.read("t.mp3"), bytes(wanted)) << row.name;
        EXPECT_EQ(folder.allFiles(), QStringList{"t.mp3"}) << row.name;
        EXPECT_EQ(server.requests().back().path, "/p2.mp3") << row.name;
        EXPECT_FALSE(server.requests().back().hasHeader("Range")) << row.name;
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
        EXPECT_EQ(downloader.DownloadFile(server.url(path), root.file("t.mp3")), DownloadOutcome::Failed) << path;
        EXPECT_FALSE(server.requests().back().hasHeader("Range")) << path;
    }
    server.put("/first.mp3", track(first));
    EXPECT_EQ(downloader.DownloadFile(server.url("/first.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
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

    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Failed);
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3.part"});
    EXPECT_EQ(root.read("t.mp3.part"), bytes(body.substr(0, kKept)));

    ::close(otherWriter);
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), QStringList{"t.mp3"});
}

} // namespace
} // namespace tavimo::test
