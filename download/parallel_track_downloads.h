#pragma once

#include "download/track_downloads.h"
#include "net/wakeup.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QTimer;

namespace tavimo {

class FileDownloader;

// Starts one file download without waiting: transferred is called once the
// network part is over, done exactly once with how it ended (both from the
// event loop or at once; transferred never after done).
using StartDownload = std::function<void(const TrackFile &track, DownloadTransferred transferred, DownloadDone done)>;

// The one scheduler of a run: up to `jobs` transfers at once on the one
// event loop, whoever hands them over. download() ends once a job is free
// for the next track (with one job: once this track's transfer is over), so
// the next page can be read meanwhile. A job is free again when its transfer
// is over, so a finished file is made durable while the next one downloads.
// A track whose path is still being written waits for that download's end
// and then goes through the same skip-if-present rule as one job would
// apply, so the files are the same as with one job.
class ParallelTrackDownloads : public TrackDownloads {
public:
    ParallelTrackDownloads(StartDownload start, int jobs);
    // Through the downloader's StartDownloadFile.
    ParallelTrackDownloads(FileDownloader &files, int jobs);
    ~ParallelTrackDownloads() override;

    QCoro::Task<> download(TrackFile track) override;
    QCoro::Task<> whenEnded(QStringList paths) override;
    QCoro::Task<> finish() override;
    // Drops the tracks not yet started and those waiting to be tried again
    // (they count as failed) and ends the waits for a free job; the
    // downloads in flight end through the network object.
    void abandon();

    // Tries a track whose transfer failed for a passing reason (a broken or
    // timed-out connection, a server error) again, up to `retries` times,
    // after pauses of 1, 2 and then 4 times firstPauseMs; the next attempt
    // continues from the bytes the last one kept. Off (0) by default.
    void setRetries(int retries, int firstPauseMs = 1000);
    // Told when the disk or the folder refused a track's file, after the
    // track was counted.
    void setStorageFailed(std::function<void(const QString &reason)> failed) { storageFailed_ = std::move(failed); }

private:
    void startReady();
    void transferred();
    void ended(const TrackFile &track, const DownloadEnd &end);
    bool retryLater(const TrackFile &track, const DownloadEnd &end);
    void retryNow(QTimer *pause);

    StartDownload start_;
    int jobs_;
    QList<TrackFile> waiting_;
    int transferring_ = 0;
    QSet<QString> writing_; // paths whose download has not ended
    Wakeup changed_;
    bool abandoned_ = false;
    int retries_ = 0;
    int firstRetryPauseMs_ = 1000;
    QHash<QString, int> attempts_; // failed attempts so far, by path
    std::map<QTimer *, TrackFile> retryPauses_;
    std::function<void(const QString &)> storageFailed_;
    // Cleared on destruction so a late callback can tell it must not touch us.
    std::shared_ptr<bool> alive_;
};

// One track after the other.
class SequentialTrackDownloads final : public ParallelTrackDownloads {
public:
    explicit SequentialTrackDownloads(FileDownloader &files) : ParallelTrackDownloads(files, 1) {}
};

} // namespace tavimo
