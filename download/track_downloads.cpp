#include "download/track_downloads.h"

#include "download/download_root.h"

#include <QFileInfo>

namespace tavimo {

void TrackDownloads::prepareFolder(const QString &folder)
{
    EnsureFolder(folder);
}

bool TrackDownloads::holds(const TrackFile &track) const
{
    return QFileInfo(track.path).isFile();
}

bool TrackDownloads::holdsAlbum(const QString &) const
{
    return false;
}

void TrackDownloads::albumEnded(const QString &, const QStringList &) {}

RecordTally TallyRecords(const TrackRecords &records, std::size_t from, int job)
{
    RecordTally tally;
    DownloadCounts &counts = tally.counts;
    for (std::size_t i = from; i < records.size(); ++i) {
        const TrackRecord &record = records[i];
        if (record.state != TrackState::Ended || (job != 0 && record.track.job != job))
            continue;
        const DownloadEnd &end = record.end;
        switch (end.outcome) {
        case DownloadOutcome::Saved:
            ++counts.saved;
            break;
        case DownloadOutcome::Archived:
            ++counts.archived;
            [[fallthrough]];
        case DownloadOutcome::AlreadyPresent:
            ++counts.alreadyPresent;
            break;
        case DownloadOutcome::Failed:
        case DownloadOutcome::Cancelled:
            ++counts.failed;
            tally.failures.append({record.track.path, end.reason, end.kind});
            break;
        }
        if (!end.brokenKeptAt.isEmpty())
            ++counts.brokenReplaced;
    }
    return tally;
}

} // namespace tavimo
