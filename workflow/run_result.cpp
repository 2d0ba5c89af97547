#include "workflow/run_result.h"

namespace tavimo {

RunTally::RunTally(const TrackDownloads &downloads)
    : downloads_(downloads), countsBefore_(downloads.counts()), failuresBefore_(downloads.failures().size())
{
}

RunResult RunTally::result(RunEnd end, const QString &reason) const
{
    return RunResult{end, reason, downloads_.counts() - countsBefore_, downloads_.failures().mid(failuresBefore_)};
}

} // namespace tavimo
