#pragma once

#include "download/track_downloads.h"
#include "net/stop.h"
#include "net/wakeup.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>

namespace tavimo {

class FileDownloader;
class TransferSlot;

// The one scheduler of a program: up to `jobs` transfers at once on the one
// event loop, and up to `perJob` of them for the tracks of one job (no such
// limit when 0), whoever hands them over. It keeps one record per track.
// download() ends once there is room for the job's next track (with one
// transfer: once this track's transfer is over), so the next page can be read
// meanwhile. Room is made as a transfer's network part ends, so a finished
// file is made durable while the next one downloads. A track whose path is
// still being written waits for that download's end and then goes through the
// same skip-if-present rule, so the files are the same as with one transfer.
// Every track it took must have ended before it goes.
class ParallelTrackDownloads : public TrackDownloads {
public:
    // One track's transfer to its end; the slot is released once its
    // network part is over.
    using Transfer = std::function<QCoro::Task<DownloadEnd>(const TrackFile &track, TransferSlot &slot)>;

    ParallelTrackDownloads(Transfer transfer, int jobs, int perJob = 0);
    ParallelTrackDownloads(FileDownloader &files, int jobs, int perJob = 0);

    QCoro::Task<> download(TrackFile track) override;
    QCoro::Task<> whenEnded(QStringList paths) override;
    QCoro::Task<> finish() override;
    void settle(const TrackFile &track, const DownloadEnd &end) override;
    const TrackRecords &records() const override { return records_; }
    int openJob() override { return ++lastJob_; }

    // Drops the tracks not yet started and those waiting to be tried again
    // (they count as failed) and ends the waits for room; the downloads in
    // flight end through the network object.
    void abandon();

    // Tries a track whose transfer failed for a passing reason (a broken or
    // timed-out connection, a server error) again, up to `retries` times,
    // after pauses of 1, 2 and then 4 times firstPauseMs; the next attempt
    // continues from the bytes the last one kept. Off (0) by default.
    void setRetries(int retries, int firstPauseMs = 1000);
    // Told when the disk or the folder refused a track's file, after the
    // track was recorded.
    void setStorageFailed(std::function<void(const QString &reason)> failed) { storageFailed_ = std::move(failed); }

private:
    bool hasRoomFor(int job) const;
    void startReady();
    // One track from its first attempt to its end.
    QCoro::Task<> carry(TrackRecord &record);
    void transferred(int job);
    void end(TrackRecord &record, const DownloadEnd &end);
    bool triesAgain(const TrackRecord &record, const DownloadEnd &end) const;

    Transfer transfer_;
    int jobs_;
    int perJob_;
    TrackRecords records_;
    QList<TrackRecord *> waiting_; // to be started, in order
    int transferring_ = 0;
    QHash<int, int> transferringOf_; // by job
    QSet<QString> writing_;          // paths started and not ended
    Wakeup changed_;
    Stop abandoned_; // ends the pauses before another attempt
    int retries_ = 0;
    int firstRetryPauseMs_ = 1000;
    int lastJob_ = 0;
    bool starting_ = false;
    bool startAgain_ = false;
    std::function<void(const QString &)> storageFailed_;
};

// One track after the other.
class SequentialTrackDownloads final : public ParallelTrackDownloads {
public:
    explicit SequentialTrackDownloads(FileDownloader &files) : ParallelTrackDownloads(files, 1) {}
};

} // namespace tavimo
