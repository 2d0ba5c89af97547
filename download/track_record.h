#pragma once

#include "download/download_end.h"
#include "download/track_file.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <deque>

namespace tavimo {

// Where a track handed over to the scheduler stands.
enum class TrackState {
    Waiting,      // for a free transfer, or for the download of its path to end
    Transferring, // its request is under way, or its file is being made durable
    Pausing,      // between a failed attempt and the next one
    Ended,        // end says how
};

// One track handed over, from hand-over to its end: the job it belongs to,
// its address and placed path (in track), how many attempts were made, and,
// once ended, its outcome and reason.
struct TrackRecord {
    TrackFile track;
    TrackState state = TrackState::Waiting;
    int attempts = 0;
    DownloadEnd end{DownloadOutcome::Cancelled};
};

// In hand-over order; a record keeps its place (and address) for the life of
// the scheduler.
using TrackRecords = std::deque<TrackRecord>;

// How the track downloads of a run ended, for summaries.
struct DownloadCounts {
    int saved = 0;
    int alreadyPresent = 0; // the archived ones included
    int failed = 0;
    int archived = 0;       // skipped because the download archive has them
    int brokenReplaced = 0; // present but broken, moved aside and fetched again
};

// A track that did not reach the disk, and why.
struct FailedTrack {
    QString path;
    QString reason;
    FailureKind kind;
};

// The ended records from the given place on, of one job (of every job when
// job is 0): their counts and the tracks that failed, in hand-over order.
struct RecordTally {
    DownloadCounts counts;
    QList<FailedTrack> failures;
};
RecordTally TallyRecords(const TrackRecords &records, std::size_t from = 0, int job = 0);

} // namespace tavimo
