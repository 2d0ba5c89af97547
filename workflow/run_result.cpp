#include "workflow/run_result.h"

namespace tavimo {

RunTally::RunTally(const TrackDownloads &downloads)
    : downloads_(downloads), countsBefore_(downloads.counts()), failuresBefore_(downloads.failures().size())
{
}

RunResult RunTally::result(RunEnd end, const QString &reason) const
{
    const DownloadCounts now = downloads_.counts();
    const DownloadCounts counts{now.saved - countsBefore_.saved, now.alreadyPresent - countsBefore_.alreadyPresent,
                                now.failed - countsBefore_.failed};
    return RunResult{end, reason, counts, downloads_.failures().mid(failuresBefore_)};
}

} // namespace tavimo
