#include "download/parallel_track_downloads.h"

#include "download/file_downloader.h"
#include "download/transfer_slot.h"
#include "net/yielding_pause.h"

#include <algorithm>

namespace tavimo {

ParallelTrackDownloads::ParallelTrackDownloads(Transfer transfer, int jobs, int perJob)
    : transfer_(std::move(transfer)), jobs_(std::max(1, jobs)), perJob_(std::max(0, perJob))
{
}

ParallelTrackDownloads::ParallelTrackDownloads(FileDownloader &files, int jobs, int perJob)
    : ParallelTrackDownloads(
          [&files](const TrackFile &track, TransferSlot &slot) { return files.download(track, slot); }, jobs, perJob)
{
}

QCoro::Task<> ParallelTrackDownloads::download(TrackFile track)
{
    if (abandoned_.isRaised()) {
        settle(track, CancelledEnd());
        co_return;
    }
    const int job = track.job;
    records_.push_back(TrackRecord{std::move(track)});
    waiting_.append(&records_.back());
    startReady();
    // Ends when there is room for the job's next track: with one transfer,
    // once this track's transfer is over.
    const auto room = [this, job] { return abandoned_.isRaised() || hasRoomFor(job); };
    co_await changed_.until(room);
}

QCoro::Task<> ParallelTrackDownloads::whenEnded(QStringList paths)
{
    const auto ended = [this, &paths] {
        return std::none_of(paths.cbegin(), paths.cend(), [this](const QString &path) {
            return writing_.contains(path) ||
                   std::any_of(waiting_.cbegin(), waiting_.cend(),
                               [&path](const TrackRecord *record) { return record->track.path == path; });
        });
    };
    co_await changed_.until(ended);
}

QCoro::Task<> ParallelTrackDownloads::finish()
{
    // After abandon() too: the transfers in flight end (cancelled, or
    // committed when their body was whole) before the run may end.
    const auto ended = [this] { return waiting_.isEmpty() && writing_.isEmpty(); };
    co_await changed_.until(ended);
}

void ParallelTrackDownloads::settle(const TrackFile &track, const DownloadEnd &end)
{
    records_.push_back(TrackRecord{track, TrackState::Ended, 0, end});
    tellEnded(track, end);
}

void ParallelTrackDownloads::abandon()
{
    abandoned_.raise();
    for (TrackRecord *record : std::exchange(waiting_, {}))
        end(*record, CancelledEnd());
    changed_.notify();
}

void ParallelTrackDownloads::setRetries(int retries, int firstPauseMs)
{
    retries_ = std::max(0, retries);
    firstRetryPauseMs_ = std::max(0, firstPauseMs);
}

bool ParallelTrackDownloads::hasRoomFor(int job) const
{
    if (waiting_.size() + transferring_ >= jobs_)
        return false;
    if (perJob_ == 0)
        return true;
    const auto waitingOfJob = std::count_if(waiting_.cbegin(), waiting_.cend(),
                                            [job](const TrackRecord *record) { return record->track.job == job; });
    return waitingOfJob + transferringOf_.value(job) < perJob_;
}

void ParallelTrackDownloads::startReady()
{
    // A transfer may end at once (its file is there) and ask for this again.
    if (std::exchange(starting_, true)) {
        startAgain_ = true;
        return;
    }
    do {
        startAgain_ = false;
        // In the order taken; a track whose path is being written stays behind.
        for (qsizetype i = 0; i < waiting_.size() && transferring_ < jobs_ && !abandoned_.isRaised();) {
            TrackRecord &record = *waiting_.at(i);
            const int job = record.track.job;
            if (writing_.contains(record.track.path) || (perJob_ > 0 && transferringOf_.value(job) >= perJob_)) {
                ++i;
                continue;
            }
            waiting_.removeAt(i);
            writing_.insert(record.track.path);
            ++transferring_;
            ++transferringOf_[job];
            const bool retry = record.attempts > 0;
            record.state = TrackState::Transferring;
            if (retry)
                changed_.notify();
            else
                carry(record);
        }
    } while (startAgain_);
    starting_ = false;
}

QCoro::Task<> ParallelTrackDownloads::carry(TrackRecord &record)
{
    for (;;) {
        ++record.attempts;
        const int job = record.track.job;
        TransferSlot slot([this, job] { transferred(job); });
        const DownloadEnd ended = co_await transfer_(record.track, slot);
        slot.release();
        if (!triesAgain(record, ended)) {
            end(record, ended);
            co_return;
        }
        record.state = TrackState::Pausing;
        co_await PauseFor(firstRetryPauseMs_ * std::min(1 << (record.attempts - 1), 4), abandoned_);
        if (abandoned_.isRaised()) {
            end(record, CancelledEnd());
            co_return;
        }
        // The path stayed claimed during the pause, so no other track took
        // it and whenEnded() waited; the retry goes first.
        writing_.remove(record.track.path);
        record.state = TrackState::Waiting;
        waiting_.prepend(&record);
        startReady();
        const auto started = [&record] { return record.state != TrackState::Waiting; };
        co_await changed_.until(started);
        if (record.state == TrackState::Ended)
            co_return;
    }
}

void ParallelTrackDownloads::transferred(int job)
{
    --transferring_;
    --transferringOf_[job];
    startReady();
    changed_.notify();
}

bool ParallelTrackDownloads::triesAgain(const TrackRecord &record, const DownloadEnd &end) const
{
    return end.kind == FailureKind::Transient && !abandoned_.isRaised() && record.attempts <= retries_;
}

void ParallelTrackDownloads::end(TrackRecord &record, const DownloadEnd &end)
{
    if (record.state != TrackState::Waiting)
        writing_.remove(record.track.path);
    record.state = TrackState::Ended;
    record.end = end;
    tellEnded(record.track, end);
    if (end.kind == FailureKind::Storage && storageFailed_)
        storageFailed_(end.reason);
    startReady();
    changed_.notify();
}

} // namespace tavimo
