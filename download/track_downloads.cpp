#include "download/track_downloads.h"

namespace tavimo {

void TrackDownloads::count(const QString &path, const DownloadEnd &end)
{
    switch (end.outcome) {
    case DownloadOutcome::Saved:
        ++counts_.saved;
        break;
    case DownloadOutcome::AlreadyPresent:
        ++counts_.alreadyPresent;
        break;
    case DownloadOutcome::Failed:
    case DownloadOutcome::Cancelled:
        ++counts_.failed;
        failures_.append({path, end.reason});
        break;
    }
}

} // namespace tavimo
