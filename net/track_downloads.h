#pragma once

#include "net/mod_xml_http.h"

#include <QString>

namespace tavimo {

// How the track downloads of a run ended, for summaries.
struct DownloadCounts {
    int saved = 0;
    int alreadyPresent = 0;
    int failed = 0;
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

protected:
    void count(DownloadOutcome outcome);

private:
    DownloadCounts counts_;
};

} // namespace tavimo
