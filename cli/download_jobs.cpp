#include "cli/download_jobs.h"

#include "net/mod_xml_http.h"

namespace tavimo::cli {

DownloadJobs::DownloadJobs(ModXmlHttp &net, int jobs)
{
    if (jobs <= 1) {
        downloads_ = std::make_unique<SequentialTrackDownloads>(net);
        return;
    }
    auto parallel = std::make_unique<ParallelTrackDownloads>(
        [&net](const QString &url, const QString &path, std::function<void(DownloadOutcome)> done) {
            net.StartDownloadFile(url, path, std::move(done));
        },
        jobs);
    parallel_ = parallel.get();
    downloads_ = std::move(parallel);
}

void DownloadJobs::abandon()
{
    if (parallel_ != nullptr)
        parallel_->abandon();
}

} // namespace tavimo::cli
