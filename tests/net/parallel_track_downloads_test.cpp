#include "download/parallel_track_downloads.h"
#include "download/transfer_slot.h"

#include <QFileInfo>
#include <QTimer>

#include <chrono>

#include <qcoro/qcorotimer.h>

#include <gtest/gtest.h>

#include "support/temp_root.h"

namespace tavimo {
namespace {

// A transfer that takes a while, then writes the file after a further while
// (as the flush to the disk would), and applies the skip-if-present rule when
// it starts.
class FakeTransfer {
public:
    explicit FakeTransfer(int transferMs, int commitMs = 0) : transferMs_(transferMs), commitMs_(commitMs) {}

    ParallelTrackDownloads::Transfer transfer()
    {
        return [this](const TrackFile &track, TransferSlot &slot) { return run(track, slot); };
    }

    QStringList started;
    int inFlight = 0;
    int maxInFlight = 0;
    int committing = 0;
    int startedWhileCommitting = 0;

private:
    QCoro::Task<DownloadEnd> run(TrackFile track, TransferSlot &slot)
    {
        started.append(track.url);
        startedWhileCommitting += committing > 0;
        if (QFileInfo::exists(track.path))
            co_return DownloadEnd(DownloadOutcome::AlreadyPresent);
        ++inFlight;
        maxInFlight = std::max(maxInFlight, inFlight);
        co_await QCoro::sleepFor(std::chrono::milliseconds(transferMs_));
        --inFlight;
        if (track.url.contains(QLatin1String("bad")))
            co_return DownloadEnd(DownloadOutcome::Failed);
        ++committing;
        slot.release();
        co_await QCoro::sleepFor(std::chrono::milliseconds(commitMs_));
        --committing;
        QFile file(track.path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            << "written twice: " << track.path.toStdString();
        file.write(track.url.toUtf8());
        co_return DownloadEnd(DownloadOutcome::Saved);
    }

    int transferMs_;
    int commitMs_;
};

DownloadCounts CountsOf(const ParallelTrackDownloads &downloads)
{
    return TallyRecords(downloads.records()).counts;
}

// Up to N at once, never more; every track counted once.
TEST(ParallelTrackDownloads, RunsUpToJobsAtOnce)
{
    test::TempRoot root;
    FakeTransfer fake(20);
    ParallelTrackDownloads downloads(fake.transfer(), 3);
    for (int i = 0; i < 8; ++i)
        QCoro::waitFor(
            downloads.download({QStringLiteral("u%1").arg(i), root.file(QStringLiteral("t%1.mp3").arg(i)), {}}));
    QCoro::waitFor(downloads.finish());
    EXPECT_EQ(fake.maxInFlight, 3);
    EXPECT_EQ(CountsOf(downloads).saved, 8);
    EXPECT_EQ(root.allFiles().size(), 8);
}

// One job: the next track transfers while the last one's file is flushed,
// and finish() waits until every file is in place.
TEST(ParallelTrackDownloads, NextTransferOverlapsTheLastFlush)
{
    test::TempRoot root;
    FakeTransfer fake(10, 30);
    ParallelTrackDownloads downloads(fake.transfer(), 1);
    for (int i = 0; i < 4; ++i)
        QCoro::waitFor(
            downloads.download({QStringLiteral("u%1").arg(i), root.file(QStringLiteral("t%1.mp3").arg(i)), {}}));
    QCoro::waitFor(downloads.finish());
    EXPECT_EQ(fake.maxInFlight, 1);
    EXPECT_EQ(fake.startedWhileCommitting, 3);
    EXPECT_EQ(CountsOf(downloads).saved, 4);
    EXPECT_EQ(root.allFiles().size(), 4);
}

// Two tracks for one path: the second waits for the first; it is skipped as present when the first
// wrote the file and gets its chance when the first failed. One path is never written twice.
TEST(ParallelTrackDownloads, OnePathIsWrittenOnce)
{
    const struct {
        const char *first, *second, *written;
        int saved, present, failed;
    } rows[] = {{"first", "second", "first", 1, 1, 0}, {"bad", "good", "good", 1, 0, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.first);
        test::TempRoot root;
        FakeTransfer fake(20, 20);
        ParallelTrackDownloads downloads(fake.transfer(), 2);
        QCoro::waitFor(downloads.download({QString::fromLatin1(row.first), root.file(QStringLiteral("same.mp3")), {}}));
        QCoro::waitFor(
            downloads.download({QString::fromLatin1(row.second), root.file(QStringLiteral("same.mp3")), {}}));
        QCoro::waitFor(downloads.finish());
        EXPECT_EQ(root.read(QStringLiteral("same.mp3")), row.written);
        EXPECT_EQ(CountsOf(downloads).saved, row.saved);
        EXPECT_EQ(CountsOf(downloads).alreadyPresent, row.present);
        EXPECT_EQ(CountsOf(downloads).failed, row.failed);
    }
}

// After abandon, nothing new starts and waiting tracks count as failed.
TEST(ParallelTrackDownloads, AbandonStopsTakingTracks)
{
    test::TempRoot root;
    FakeTransfer fake(30);
    ParallelTrackDownloads downloads(fake.transfer(), 1);
    QObject scope;
    // Abandoned from the first wait, while the first track transfers.
    QTimer::singleShot(0, &scope, [&downloads] { downloads.abandon(); });
    QCoro::waitFor(downloads.download({QStringLiteral("a"), root.file(QStringLiteral("a.mp3")), {}}));
    QCoro::waitFor(downloads.download({QStringLiteral("b"), root.file(QStringLiteral("b.mp3")), {}}));
    QCoro::waitFor(downloads.download({QStringLiteral("c"), root.file(QStringLiteral("c.mp3")), {}}));
    QCoro::waitFor(downloads.finish());
    EXPECT_EQ(fake.started, QStringList{QStringLiteral("a")});
    EXPECT_EQ(CountsOf(downloads).failed, 2);
}

} // namespace
} // namespace tavimo
