#include "download/parallel_track_downloads.h"

#include "download/file_downloader.h"
#include "net/http_reply.h"

#include <QEventLoop>
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

ParallelTrackDownloads::~ParallelTrackDownloads() { *alive_ = false; }

void ParallelTrackDownloads::download(const TrackFile &track)
{
    if (abandoned_) {
        count(track, {DownloadOutcome::Cancelled, kCancelledReason});
        return;
    }
    waiting_.append(track);
    startReady();
    // Returns when a job is free for the next track: with one job, once this
    // track's transfer is over.
    waitUntil([this] { return waiting_.size() + transferring_ < jobs_; });
}

void ParallelTrackDownloads::finish()
{
    waitUntil([this] { return waiting_.isEmpty() && writing_.isEmpty(); });
}

void ParallelTrackDownloads::abandon()
{
    abandoned_ = true;
    for (const TrackFile &track : std::as_const(waiting_))
        count(track, {DownloadOutcome::Cancelled, kCancelledReason});
    waiting_.clear();
    wake();
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
        auto stillAlive = [alive] { const auto held = alive.lock(); return held && *held; };
        // Shared by both callbacks, so the job is freed once whichever comes first.
        auto freed = std::make_shared<bool>(false);
        auto transferDone = [this, stillAlive, freed] {
            if (stillAlive() && !std::exchange(*freed, true))
                transferred();
        };
        start_(track, transferDone,
               [this, stillAlive, transferDone, track](const DownloadEnd &end) {
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
    wake();
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
    wake();
}

// The path stays claimed during the pause, so no other track takes it and
// finish() waits for the retry.
bool ParallelTrackDownloads::retryLater(const TrackFile &track, const DownloadEnd &end)
{
    if (end.kind != FailureKind::Transient || abandoned_ || attempts_.value(track.path) >= retries_)
        return false;
    const int attempt = ++attempts_[track.path];
    const int pauseMs = firstRetryPauseMs_ * std::min(1 << (attempt - 1), 4);
    std::weak_ptr<bool> alive = alive_;
    QTimer::singleShot(pauseMs, [this, alive, track] {
        const auto held = alive.lock();
        if (!held || !*held)
            return;
        // A stop during the pause ends the track as any cancelled one.
        if (abandoned_)
            return ended(track, {DownloadOutcome::Cancelled, kCancelledReason});
        writing_.remove(track.path);
        waiting_.prepend(track);
        startReady();
        wake();
    });
    return true;
}

void ParallelTrackDownloads::wake()
{
    if (loop_ != nullptr)
        loop_->quit();
}

void ParallelTrackDownloads::waitUntil(const std::function<bool()> &done)
{
    // Each change quits the loop; the condition is checked again after it.
    while (!done() && !abandoned_) {
        QEventLoop loop;
        QEventLoop *outer = loop_;
        loop_ = &loop;
        loop.exec();
        loop_ = outer;
    }
    // A wait that ran inside another one (a second workflow started from a
    // handler) took the changes meant for it; it checks its condition again.
    wake();
}

} // namespace tavimo
