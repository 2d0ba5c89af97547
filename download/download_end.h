#pragma once

#include "net/http_reply.h"

#include <QString>

#include <utility>

namespace tavimo {

// What became of one track's download. The workflows go on whatever it is;
// the runs count them for their summaries.
// Archived: the download archive has the track, so nothing was asked for.
enum class DownloadOutcome { Saved, AlreadyPresent, Archived, Failed, Cancelled };

// What kind of trouble ended a download, as far as trying again goes.
enum class FailureKind {
    None,
    Transient, // the connection or the server may do better on another attempt
    Permanent, // the file is not there, or not an MP3 file
    Storage,   // the disk or the folder refused the file
    Cancelled,
};

// Why a download failed: the HTTP status, the transport's error in curl's
// words, the file system's error; and its kind.
struct DownloadFailure {
    FailureKind kind = FailureKind::None;
    QString reason;
};

// The outcome with why a download failed; no reason when it did not, except
// for a saved file that could not be tagged.
struct DownloadEnd {
    // For a task's result before it is set; every end names its outcome.
    DownloadEnd() : DownloadEnd(DownloadOutcome::Cancelled) {}
    DownloadEnd(DownloadOutcome outcome, QString reason = QString())
        : outcome(outcome), reason(std::move(reason)),
          kind(outcome == DownloadOutcome::Cancelled ? FailureKind::Cancelled : FailureKind::None)
    {
    }
    DownloadEnd(DownloadOutcome outcome, const DownloadFailure &failure)
        : outcome(outcome), reason(failure.reason), kind(failure.kind)
    {
    }
    DownloadOutcome outcome;
    QString reason;
    FailureKind kind;
    // Where a present file that was not a whole MP3 was moved before the
    // track was fetched again; empty when none was.
    QString brokenKeptAt;
};

// The end of a download that a stop cut short.
inline DownloadEnd CancelledEnd()
{
    return {DownloadOutcome::Cancelled, kCancelledReason};
}

} // namespace tavimo
