#pragma once

#include "download/download_end.h"

#include <QList>
#include <QString>

namespace tavimo {

// How the track downloads of a run ended, for summaries.
struct DownloadCounts {
    int saved = 0;
    int alreadyPresent = 0;
    int failed = 0;
};

// A track that did not reach the disk, and why.
struct FailedTrack {
    QString path;
    QString reason;
};

// The one way workflows hand over track files. The workflow calls download()
// per track and finish() before it reports an album as done, so a parallel
// implementation can run several downloads at once behind the same calls.
class TrackDownloads {
public:
    virtual ~TrackDownloads() = default;

    // Starts (or performs) the download of url into path.
    virtual void download(const QString &url, const QString &path) = 0;
    // Returns when every download started so far has ended.
    virtual void finish() = 0;

    DownloadCounts counts() const { return counts_; }
    // The failed and cancelled tracks so far, in the order they ended.
    const QList<FailedTrack> &failures() const { return failures_; }

protected:
    void count(const QString &path, const DownloadEnd &end);

private:
    DownloadCounts counts_;
    QList<FailedTrack> failures_;
};

} // namespace tavimo
