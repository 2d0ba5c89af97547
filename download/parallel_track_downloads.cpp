#include "download/parallel_track_downloads.h"

#include "download/file_downloader.h"
#include "net/http_reply.h"

#include <QTimer>

#include <algorithm>
#include <memory>

namespace tavimo {

ParallelTrackDownloads::ParallelTrackDownloads(StartDownload start, int jobs)
    : start_(std::move(start)), jobs_(std::max(1, jobs)), alive_(std::make_shared<bool>(true))
{
}

ParallelTrackDownloads::ParallelTrackDownloads(FileDownloader &files, int jobs)
    : ParallelTrackDownloads(
          [&files](const TrackFile &track, DownloadTransferred transferred, DownloadDone done) {
              files.StartTrackDownload(track, std::move(done), std::move(transferred));
          },
          jobs)
{
}

ParallelTrackDownloads::~ParallelTrackDownloads()
{
    *alive_ = false;
}

QCoro::Task<> ParallelTrackDownloads::download(TrackFile track)
{
    if (abandoned_) {
        count(track, {DownloadOutcome::Cancelled, kCancelledReason});
        co_return;
    }
    waiting_.append(track);
    startReady();
    // Ends when a job is free for the next track: with one job, once this
    // track's transfer is over.
    co_await changed_.until([this] { return abandoned_ || waiting_.size() + transferring_ < jobs_; });
}

QCoro::Task<> ParallelTrackDownloads::whenEnded(QStringList paths)
{
    const auto ended = [this, &paths] {
        return std::none_of(paths.cbegin(), paths.cend(), [this](const QString &path) {
            return writing_.contains(path) || std::any_of(waiting_.cbegin(), waiting_.cend(),
                                                          [&path](const TrackFile &t) { return t.path == path; });
        });
    };
    co_await changed_.until(ended);
}

QCoro::Task<> ParallelTrackDownloads::finish()
{
    // After abandon() too: the transfers in flight end (cancelled, or
    // committed when their body was whole) before the run may end.
    co_await changed_.until([this] { return waiting_.isEmpty() && writing_.isEmpty(); });
}

void ParallelTrackDownloads::abandon()
{
    abandoned_ = true;
    for (const TrackFile &track : std::exchange(waiting_, {}))
        count(track, {DownloadOutcome::Cancelled, kCancelledReason});
    // A stop during a retry's pause ends the track as any cancelled one.
    while (!retryPauses_.empty())
        retryNow(retryPauses_.begin()->first);
    changed_.notify();
}

void ParallelTrackDownloads::startReady()
{
    // In the order taken; a track whose path is being written stays behind.
    for (qsizetype i = 0; i < waiting_.size() && transferring_ < jobs_;) {
        if (writing_.contains(waiting_.at(i).path)) {
            ++i;
            continue;
        }
        const TrackFile track = waiting_.takeAt(i);
        writing_.insert(track.path);
        ++transferring_;
        std::weak_ptr<bool> alive = alive_;
        auto stillAlive = [alive] {
            const auto held = alive.lock();
            return held && *held;
        };
        // Shared by both callbacks, so the job is freed once whichever comes first.
        auto freed = std::make_shared<bool>(false);
        auto transferDone = [this, stillAlive, freed] {
            if (stillAlive() && !std::exchange(*freed, true))
                transferred();
        };
        start_(track, transferDone, [this, stillAlive, transferDone, track](const DownloadEnd &end) {
            transferDone();
            if (stillAlive())
                ended(track, end);
        });
    }
}

void ParallelTrackDownloads::transferred()
{
    --transferring_;
    if (!abandoned_)
        startReady();
    changed_.notify();
}

void ParallelTrackDownloads::setRetries(int retries, int firstPauseMs)
{
    retries_ = std::max(0, retries);
    firstRetryPauseMs_ = std::max(0, firstPauseMs);
}

void ParallelTrackDownloads::ended(const TrackFile &track, const DownloadEnd &end)
{
    if (retryLater(track, end))
        return;
    attempts_.remove(track.path);
    writing_.remove(track.path);
    count(track, end);
    if (end.kind == FailureKind::Storage && storageFailed_)
        storageFailed_(end.reason);
    if (!abandoned_)
        startReady();
    changed_.notify();
}

// The path stays claimed during the pause, so no other track takes it and
// whenEnded() waits for the retry.
bool ParallelTrackDownloads::retryLater(const TrackFile &track, const DownloadEnd &end)
{
    if (end.kind != FailureKind::Transient || abandoned_ || attempts_.value(track.path) >= retries_)
        return false;
    const int attempt = ++attempts_[track.path];
    auto *pause = new QTimer(&changed_);
    pause->setSingleShot(true);
    retryPauses_.emplace(pause, track);
    QObject::connect(pause, &QTimer::timeout, &changed_, [this, pause] { retryNow(pause); });
    pause->start(firstRetryPauseMs_ * std::min(1 << (attempt - 1), 4));
    return true;
}

void ParallelTrackDownloads::retryNow(QTimer *pause)
{
    const auto found = retryPauses_.find(pause);
    if (found == retryPauses_.end())
        return;
    const TrackFile track = found->second;
    retryPauses_.erase(found);
    pause->stop();
    pause->deleteLater();
    if (abandoned_)
        return ended(track, {DownloadOutcome::Cancelled, kCancelledReason});
    writing_.remove(track.path);
    waiting_.prepend(track);
    startReady();
    changed_.notify();
}

} // namespace tavimo
