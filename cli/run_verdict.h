#pragma once

#include "download/track_downloads.h"

namespace tavimo::cli {

// Exit statuses of tavimo-dl.
inline constexpr int kExitComplete = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitRejected = 2;
inline constexpr int kExitInterrupted = 130;

// What one run amounted to, gathered from the workflow's messages and the
// download outcomes.
struct RunVerdict {
    bool rejected = false;       // the workflow refused its input
    bool workflowFailed = false; // it ended without its tracks (page missing, nothing found)
    bool interrupted = false;    // stopped by a signal

    int exitStatus(const DownloadCounts &counts) const;
};

// The summary line: tracks downloaded, already present, failed.
QString SummaryLine(const DownloadCounts &counts);

} // namespace tavimo::cli
