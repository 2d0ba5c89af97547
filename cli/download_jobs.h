#pragma once

#include "download/parallel_track_downloads.h"


namespace tavimo {
class FileDownloader;
}

namespace tavimo::cli {

// The track downloads of a run, up to `jobs` transfers at once.
class DownloadJobs {
public:
    DownloadJobs(FileDownloader &files, int jobs);

    TrackDownloads &downloads() { return downloads_; }
    // Stops taking tracks after a stop request.
    void abandon();

private:
    ParallelTrackDownloads downloads_;
};

} // namespace tavimo::cli
