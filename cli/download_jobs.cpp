#include "cli/download_jobs.h"

#include "net/mod_xml_http.h"

namespace tavimo::cli {

DownloadJobs::DownloadJobs(ModXmlHttp &net, int jobs) : downloads_(net, jobs) {}

void DownloadJobs::abandon() { downloads_.abandon(); }

} // namespace tavimo::cli
