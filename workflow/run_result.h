#pragma once

#include "download/track_downloads.h"
#include "net/page_reply.h"

#include <QList>
#include <QString>

#include <cstddef>

namespace tavimo {

// How a workflow run ended.
enum class RunEnd {
    Done,         // every step ran; single tracks may still have failed
    Rejected,     // the input was refused (a bad address, no such artist)
    NothingFound, // the service offered nothing to download
    Stopped,      // the program or its window closed during the run
    Failed,       // part of the job could not be done (an album without tracks)
};

// What one run of a workflow amounted to. The reason is the text the user
// was shown about it; the counts and failed tracks are this run's own. A run
// that ended for want of a page that failed carries that page (without its
// text): its status, address and kind of failure.
struct RunResult {
    RunEnd end = RunEnd::Done;
    QString reason;
    DownloadCounts counts;
    QList<FailedTrack> failedTracks;
    PageReply failedPage;
};

// Notes where the track records stood when a run began, so that its result
// holds only the tracks its job handed over since.
class RunTally {
public:
    explicit RunTally(const TrackDownloads &downloads);

    RunResult result(RunEnd end, const QString &reason = QString()) const;
    // Failed for want of the page, with its cause as the reason.
    RunResult failedPage(const PageReply &page) const;

private:
    const TrackDownloads &downloads_;
    std::size_t from_;
    int job_;
};

} // namespace tavimo
