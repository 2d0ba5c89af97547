#include "workflow/run_result.h"

namespace tavimo {

RunTally::RunTally(const TrackDownloads &downloads)
    : downloads_(downloads), from_(downloads.records().size()), job_(downloads.job())
{
}

RunResult RunTally::result(RunEnd end, const QString &reason) const
{
    RecordTally tally = TallyRecords(downloads_.records(), from_, job_);
    return RunResult{end, reason, tally.counts, std::move(tally.failures), {}};
}

RunResult RunTally::failedPage(const PageReply &page) const
{
    RunResult failed = result(RunEnd::Failed, page.cause());
    failed.failedPage = page;
    failed.failedPage.text.clear();
    return failed;
}

} // namespace tavimo
