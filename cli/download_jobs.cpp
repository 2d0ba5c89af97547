#include "cli/download_jobs.h"

#include "download/file_downloader.h"

namespace tavimo::cli {

DownloadJobs::DownloadJobs(FileDownloader &files, int jobs) : downloads_(files, jobs) {}

void DownloadJobs::abandon() { downloads_.abandon(); }

} // namespace tavimo::cli
