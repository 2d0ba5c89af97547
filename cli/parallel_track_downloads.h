#pragma once

#include "net/track_downloads.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class QEventLoop;

namespace tavimo::cli {

// Starts one file download without waiting; done is called exactly once,
// from the event loop or at once, with how it ended.
using StartDownload =
    std::function<void(const QString &url, const QString &path, std::function<void(DownloadOutcome)> done)>;

// Up to `jobs` track downloads at once on the one event loop. download()
// returns as soon as the track is taken (waiting while every job is busy),
// finish() when all have ended. A track whose path is already being written
// waits for that download and then goes through the same skip-if-present
// rule as one job would apply, so the files are the same as with one job.
class ParallelTrackDownloads final : public TrackDownloads {
public:
    ParallelTrackDownloads(StartDownload start, int jobs);
    ~ParallelTrackDownloads() override;

    void download(const QString &url, const QString &path) override;
    void finish() override;

    // Drops the tracks not yet started (they count as failed) and ends the
    // waits; the downloads in flight end through the network object.
    void abandon();

private:
    struct Track {
        QString url;
        QString path;
    };

    void startReady();
    void ended(const QString &path, DownloadOutcome outcome);
    void waitUntil(const std::function<bool()> &done);
    int unfinished() const { return static_cast<int>(waiting_.size()) + static_cast<int>(writing_.size()); }

    StartDownload start_;
    int jobs_;
    QList<Track> waiting_;
    QSet<QString> writing_; // paths with a download in flight
    QEventLoop *loop_ = nullptr;
    bool abandoned_ = false;
    // Cleared on destruction so a late callback can tell it must not touch us.
    std::shared_ptr<bool> alive_;
};

} // namespace tavimo::cli
