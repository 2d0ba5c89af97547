#pragma once

#include "cli/parallel_track_downloads.h"
#include "net/track_downloads.h"

#include <memory>

namespace tavimo {
class ModXmlHttp;
}

namespace tavimo::cli {

// The track downloads of a run: one after the other for one job, the
// parallel downloads for more.
class DownloadJobs {
public:
    DownloadJobs(ModXmlHttp &net, int jobs);

    TrackDownloads &downloads() { return *downloads_; }
    // Stops taking tracks after a stop request.
    void abandon();

private:
    ParallelTrackDownloads *parallel_ = nullptr;
    std::unique_ptr<TrackDownloads> downloads_;
};

} // namespace tavimo::cli
