#include "download/track_downloads.h"

#include "download/download_root.h"

namespace tavimo {

void TrackDownloads::prepareFolder(const QString &folder)
{
    EnsureFolder(folder);
}

void TrackDownloads::count(const TrackFile &track, const DownloadEnd &end)
{
    switch (end.outcome) {
    case DownloadOutcome::Saved:
        ++counts_.saved;
        break;
    case DownloadOutcome::Archived:
        ++counts_.archived;
        [[fallthrough]];
    case DownloadOutcome::AlreadyPresent:
        ++counts_.alreadyPresent;
        break;
    case DownloadOutcome::Failed:
    case DownloadOutcome::Cancelled:
        ++counts_.failed;
        failures_.append({track.path, end.reason, end.kind});
        break;
    }
    if (!end.brokenKeptAt.isEmpty())
        ++counts_.brokenReplaced;
    if (ended_)
        ended_(track, end);
}

} // namespace tavimo
