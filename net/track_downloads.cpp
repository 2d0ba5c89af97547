#include "net/track_downloads.h"

namespace tavimo {

void TrackDownloads::count(DownloadOutcome outcome)
{
    switch (outcome) {
    case DownloadOutcome::Saved:
        ++counts_.saved;
        break;
    case DownloadOutcome::AlreadyPresent:
        ++counts_.alreadyPresent;
        break;
    case DownloadOutcome::Failed:
    case DownloadOutcome::Cancelled:
        ++counts_.failed;
        break;
    }
}

} // namespace tavimo
