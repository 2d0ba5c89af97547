#pragma once

#include "cli/cli_options.h"
#include "cli/track_listing.h"
#include "workflow/hot_view.h"
#include "workflow/run_result.h"

#include <QJsonObject>

#include <cstdio>
#include <optional>

namespace tavimo::cli {

// The machine-readable side of a run (--json): one JSON object per line on
// its stream for each track, each listed track or channel, and the summary.
class JsonReport {
public:
    explicit JsonReport(FILE *stream) : stream_(stream) {}

    // A track that ended: title, address, path, outcome, reason, bytes on disk.
    void trackEnded(const TrackFile &track, const DownloadEnd &end);
    // A track --list shows: title, address, path, whether present or archived.
    void trackListed(const TrackFile &track, ListedState state);
    void channel(const HotChannel &channel);
    // One job's end among several of a run, as the summary with its command;
    // with source, a recorded source's end in a sync (and how many of its
    // tracks are pending, when listed).
    void jobSummary(const CliJob &job, const RunResult &result, int exitStatus, const QString &source = {},
                    std::optional<int> pending = std::nullopt);
    // The run's end: how it ended, its counts and the exit status.
    void summary(const RunResult &result, int exitStatus);

private:
    static QJsonObject SummaryObject(const QString &type, const RunResult &result, int exitStatus);
    void write(const QJsonObject &object);

    FILE *stream_;
};

} // namespace tavimo::cli
