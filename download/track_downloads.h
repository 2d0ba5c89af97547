#pragma once

#include "download/download_end.h"
#include "download/track_file.h"

#include <QList>
#include <QString>

#include <functional>

#include <qcoro/qcorotask.h>

namespace tavimo {

// How the track downloads of a run ended, for summaries.
struct DownloadCounts {
    int saved = 0;
    int alreadyPresent = 0; // the archived ones included
    int failed = 0;
    int archived = 0;       // skipped because the download archive has them
    int brokenReplaced = 0; // present but broken, moved aside and fetched again

    DownloadCounts operator-(const DownloadCounts &before) const
    {
        return {saved - before.saved, alreadyPresent - before.alreadyPresent, failed - before.failed,
                archived - before.archived, brokenReplaced - before.brokenReplaced};
    }
};

// A track that did not reach the disk, and why.
struct FailedTrack {
    QString path;
    QString reason;
    FailureKind kind;
};

// Told of each track as it ends, with how.
using TrackEnded = std::function<void(const TrackFile &track, const DownloadEnd &end)>;

// The one way workflows hand over track files. A workflow awaits download()
// per track and whenEnded() with its tracks' paths before it reports an album
// as done, so one scheduler can run the downloads of several albums, and of
// several workflows, at once behind the same calls.
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

    DownloadCounts counts() const { return counts_; }
    // The failed and cancelled tracks so far, in the order they ended.
    const QList<FailedTrack> &failures() const { return failures_; }

    void setTrackEnded(TrackEnded ended) { ended_ = std::move(ended); }

protected:
    void count(const TrackFile &track, const DownloadEnd &end);

private:
    TrackEnded ended_;
    DownloadCounts counts_;
    QList<FailedTrack> failures_;
};

} // namespace tavimo
