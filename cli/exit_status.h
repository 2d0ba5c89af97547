#pragma once

#include "workflow/run_result.h"

namespace tavimo::cli {

// Exit statuses of tavimo-dl.
inline constexpr int kExitComplete = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitRejected = 2;
inline constexpr int kExitInterrupted = 130;

// The exit status of a run: interrupted by a signal over refused input over
// anything that did not reach the disk over complete.
int ExitStatus(const RunResult &result, bool interrupted);

// How far the jobs of a run got: the worst job decides the status, and the
// first job that did not end Done gives the run's end and why.
struct RunVerdict {
    int status = kExitComplete;
    RunEnd end = RunEnd::Done;
    QString reason;
    PageReply failedPage;

    void weigh(const RunResult &result, int jobStatus);
};

// The summary line: tracks downloaded, already present, failed; and how
// many the archive had and how many broken files were fetched again.
QString SummaryLine(const DownloadCounts &counts);

} // namespace tavimo::cli
