#include "workflow/run_result.h"

namespace tavimo {

RunTally::RunTally(const TrackDownloads &downloads)
    : downloads_(downloads), countsBefore_(downloads.counts()), failuresBefore_(downloads.failures().size())
{
}

RunResult RunTally::result(RunEnd end, const QString &reason) const
{
    return RunResult{end, reason, downloads_.counts() - countsBefore_, downloads_.failures().mid(failuresBefore_), {}};
}

RunResult RunTally::failedPage(const PageReply &page) const
{
    RunResult failed = result(RunEnd::Failed, page.cause());
    failed.failedPage = page;
    failed.failedPage.text.clear();
    return failed;
}

} // namespace tavimo
