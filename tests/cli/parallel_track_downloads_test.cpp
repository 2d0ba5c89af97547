#include "cli/parallel_track_downloads.h"

#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "support/temp_root.h"

namespace tavimo::cli {
namespace {

// A downloader that writes the file after a delay, like a transfer would,
// and applies the skip-if-present rule when it starts.
class FakeStarter {
public:
    explicit FakeStarter(int delayMs) : delayMs_(delayMs) {}

    StartDownload starter()
    {
        return [this](const QString &url, const QString &path, std::function<void(DownloadOutcome)> done) {
            started.append(url);
            if (QFileInfo::exists(path)) {
                done(DownloadOutcome::AlreadyPresent);
                return;
            }
            ++inFlight;
            maxInFlight = std::max(maxInFlight, inFlight);
            QTimer::singleShot(delayMs_, [this, url, path, done] {
                --inFlight;
                if (url.contains(QLatin1String("bad"))) {
                    done(DownloadOutcome::Failed);
                    return;
                }
                QFile file(path);
                EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) << "written twice: " << path.toStdString();
                file.write(url.toUtf8());
                done(DownloadOutcome::Saved);
            });
        };
    }

    QStringList started;
    int inFlight = 0;
    int maxInFlight = 0;

private:
    int delayMs_;
};

// Up to N at once, never more; every track counted once.
TEST(ParallelTrackDownloads, RunsUpToJobsAtOnce)
{
    test::TempRoot root;
    FakeStarter fake(20);
    ParallelTrackDownloads downloads(fake.starter(), 3);
    for (int i = 0; i < 8; ++i)
        downloads.download(QStringLiteral("u%1").arg(i), root.file(QStringLiteral("t%1.mp3").arg(i)));
    downloads.finish();
    EXPECT_EQ(fake.maxInFlight, 3);
    EXPECT_EQ(downloads.counts().saved, 8);
    EXPECT_EQ(root.allFiles().size(), 8);
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
        FakeStarter fake(20);
        ParallelTrackDownloads downloads(fake.starter(), 2);
        downloads.download(QString::fromLatin1(row.first), root.file(QStringLiteral("same.mp3")));
        downloads.download(QString::fromLatin1(row.second), root.file(QStringLiteral("same.mp3")));
        downloads.finish();
        EXPECT_EQ(root.read(QStringLiteral("same.mp3")), row.written);
        EXPECT_EQ(downloads.counts().saved, row.saved);
        EXPECT_EQ(downloads.counts().alreadyPresent, row.present);
        EXPECT_EQ(downloads.counts().failed, row.failed);
    }
}

// After abandon, nothing new starts and waiting tracks count as failed.
TEST(ParallelTrackDownloads, AbandonStopsTakingTracks)
{
    test::TempRoot root;
    FakeStarter fake(30);
    ParallelTrackDownloads downloads(fake.starter(), 1);
    downloads.download(QStringLiteral("a"), root.file(QStringLiteral("a.mp3")));
    QTimer::singleShot(5, [&downloads] { downloads.abandon(); });
    downloads.download(QStringLiteral("b"), root.file(QStringLiteral("b.mp3")));
    downloads.download(QStringLiteral("c"), root.file(QStringLiteral("c.mp3")));
    downloads.finish();
    EXPECT_EQ(fake.started, QStringList{QStringLiteral("a")});
    EXPECT_EQ(downloads.counts().failed, 2);
}

} // namespace
} // namespace tavimo::cli
