#pragma once

#include "download/download_end.h"
#include "download/track_file.h"
#include "download/track_record.h"

#include <QString>
#include <QStringList>

#include <functional>

#include <qcoro/qcorotask.h>

namespace tavimo {

// Told of each track as it ends, with how.
using TrackEnded = std::function<void(const TrackFile &track, const DownloadEnd &end)>;

// The one way workflows hand over track files. A workflow awaits download()
// per track and whenEnded() with its tracks' paths before it reports an album
// as done, so one scheduler can run the downloads of several albums, and of
// several workflows, at once behind the same calls. The scheduler keeps one
// record per track; whatever stands in front of it passes the records on.
class TrackDownloads {
public:
    virtual ~TrackDownloads() = default;

    // A task that hands over the download of the track's address into its
    // path; it ends once the scheduler can take the next track.
    virtual QCoro::Task<> download(TrackFile track) = 0;
    // A task that ends once the downloads of these paths handed over so far
    // have ended (the files have their final names).
    virtual QCoro::Task<> whenEnded(QStringList paths) = 0;
    // A task that ends once every download handed over so far has ended.
    virtual QCoro::Task<> finish() = 0;
    // Makes the folder the next tracks go to (and its parents).
    virtual void prepareFolder(const QString &folder);
    // Records a track that ends without a transfer (the archive has it, it
    // has no place), with how.
    virtual void settle(const TrackFile &track, const DownloadEnd &end) = 0;

    // Every track handed over so far, in order.
    virtual const TrackRecords &records() const = 0;
    // Whether the track needs no transfer: its file is there, or the
    // download archive kept in front of the scheduler has it.
    virtual bool holds(const TrackFile &track) const;
    // Whether the download archive records the album as whole, so that its
    // page need not be read.
    virtual bool holdsAlbum(const QString &albumId) const;
    // Told once every track of an album has ended, with the tracks'
    // addresses: where the archive has them all, it records the album.
    virtual void albumEnded(const QString &albumId, const QStringList &trackUrls);

    // A new job number for the tracks of one run, from 1.
    virtual int openJob() = 0;
    // The job whose tracks go through here; 0 when all of them do.
    virtual int job() const { return 0; }

    void setTrackEnded(TrackEnded ended) { ended_ = std::move(ended); }

protected:
    void tellEnded(const TrackFile &track, const DownloadEnd &end) const
    {
        if (ended_)
            ended_(track, end);
    }

private:
    TrackEnded ended_;
};

} // namespace tavimo
