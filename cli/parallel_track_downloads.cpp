#include "cli/parallel_track_downloads.h"

#include <QEventLoop>

#include <algorithm>
#include <memory>

namespace tavimo::cli {

ParallelTrackDownloads::ParallelTrackDownloads(StartDownload start, int jobs)
    : start_(std::move(start)), jobs_(std::max(1, jobs)), alive_(std::make_shared<bool>(true))
{
}

ParallelTrackDownloads::~ParallelTrackDownloads() { *alive_ = false; }

void ParallelTrackDownloads::download(const QString &url, const QString &path)
{
    if (abandoned_) {
        count(DownloadOutcome::Cancelled);
        return;
    }
    waitUntil([this] { return unfinished() < jobs_; });
    if (abandoned_) {
        count(DownloadOutcome::Cancelled);
        return;
    }
    waiting_.append({url, path});
    startReady();
}

void ParallelTrackDownloads::finish()
{
    waitUntil([this] { return unfinished() == 0; });
}

void ParallelTrackDownloads::abandon()
{
    abandoned_ = true;
    for (qsizetype i = 0; i < waiting_.size(); ++i)
        count(DownloadOutcome::Cancelled);
    waiting_.clear();
    if (loop_ != nullptr)
        loop_->quit();
}

void ParallelTrackDownloads::startReady()
{
    // In the order taken; a track whose path is being written stays behind.
    for (qsizetype i = 0; i < waiting_.size() && writing_.size() < jobs_;) {
        if (writing_.contains(waiting_.at(i).path)) {
            ++i;
            continue;
        }
        const Track track = waiting_.takeAt(i);
        writing_.insert(track.path);
        std::weak_ptr<bool> alive = alive_;
        start_(track.url, track.path, [this, alive, path = track.path](DownloadOutcome outcome) {
            if (const auto stillAlive = alive.lock(); stillAlive && *stillAlive)
                ended(path, outcome);
        });
    }
}

void ParallelTrackDownloads::ended(const QString &path, DownloadOutcome outcome)
{
    writing_.remove(path);
    count(outcome);
    if (!abandoned_)
        startReady();
    if (loop_ != nullptr)
        loop_->quit();
}

void ParallelTrackDownloads::waitUntil(const std::function<bool()> &done)
{
    // Each ending download quits the loop; the condition is checked again after it.
    while (!done() && !abandoned_) {
        QEventLoop loop;
        QEventLoop *outer = loop_;
        loop_ = &loop;
        loop.exec();
        loop_ = outer;
    }
}

} // namespace tavimo::cli
