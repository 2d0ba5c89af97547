#pragma once

#include "download/track_downloads.h"

namespace tavimo {

// The track downloads of one job (one workflow run) in front of the
// program's scheduler: each track it takes carries the job's number, so the
// job's counts are its own when several run side by side.
class JobDownloads : public TrackDownloads {
public:
    explicit JobDownloads(TrackDownloads &run) : run_(run), number_(run.openJob()) {}

    QCoro::Task<> download(TrackFile track) override
    {
        track.job = number_;
        co_await run_.download(std::move(track));
    }
    QCoro::Task<> whenEnded(QStringList paths) override { co_await run_.whenEnded(std::move(paths)); }
    QCoro::Task<> finish() override { co_await run_.finish(); }
    void prepareFolder(const QString &folder) override { run_.prepareFolder(folder); }
    void settle(const TrackFile &track, const DownloadEnd &end) override
    {
        TrackFile own = track;
        own.job = number_;
        run_.settle(own, end);
    }
    bool holds(const TrackFile &track) const override
    {
        TrackFile own = track;
        own.job = number_;
        return run_.holds(own);
    }
    bool holdsAlbum(const QString &albumId) const override { return run_.holdsAlbum(albumId); }
    void albumEnded(const QString &albumId, const QStringList &trackUrls) override
    {
        run_.albumEnded(albumId, trackUrls);
    }
    const TrackRecords &records() const override { return run_.records(); }
    int openJob() override { return run_.openJob(); }
    int job() const override { return number_; }

private:
    TrackDownloads &run_;
    int number_;
};

} // namespace tavimo
