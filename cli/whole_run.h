#pragma once

#include "cli/cli_options.h"
#include "cli/command_run.h"
#include "cli/console_output.h"
#include "cli/job_downloads.h"
#include "cli/json_report.h"
#include "cli/library_sources.h"
#include "cli/progress_meter.h"
#include "cli/stop_signals.h"
#include "cli/track_listing.h"
#include "download/file_downloader.h"
#include "download/library_track_downloads.h"
#include "download/parallel_track_downloads.h"

#include <memory>
#include <optional>
#include <vector>

namespace tavimo {
class DownloadArchive;
class ModXmlHttp;
} // namespace tavimo

namespace tavimo::cli {

// One run of a command with everything it reports to: the console, the JSON
// lines, the progress meter, and the ways a run ends early.
class CommandRun {
public:
    CommandRun(const CliOptions &options, ConsoleOutput &out, ModXmlHttp &net, FileDownloader &files);

    // The archive whose tracks the run skips or records, as use says.
    void useArchive(DownloadArchive &archive, ArchiveUse use);

    // A task of the run's exit status, once every file of its jobs has its
    // final name (or kept its ".part" after a stop). A run that keeps a
    // library records the sources of its jobs beneath root.
    QCoro::Task<int> run(ServiceHosts hosts, QString root, QList<CliJob> jobs);

private:
    QCoro::Task<QList<RunResult>> runJobs(ServiceHosts hosts, QString root);
    static QCoro::Task<RunResult> runJob(BatchJob &job, CommandSetup &setup);
    RunResult settled(const RunResult &result, const BatchJob &job) const;
    int jobStatus(const RunResult &result) const;
    void reportJob(const BatchJob &job, const RunResult &result, int status);
    int recordSources(const QString &root, const QList<SourceEnd> &sources);

    void placeTracks(const QString &root);
    std::function<void(const HotChannel &)> showChannel();
    bool writePlaylists();
    void showListed(const TrackFile &track, ListedState state);
    const BatchJob *jobOf(const TrackFile &track) const;
    FileShape shapeOf(const TrackFile &track) const;
    void trackEnded(const TrackFile &track, const DownloadEnd &end);
    void reportFailedTracks(const RunResult &result);
    void summarize(const RunResult &result);
    void stopForStorage(const QString &reason);
    void stopForSignal();

    const CliOptions &options_;
    ConsoleOutput &out_;
    ModXmlHttp &net_;
    ParallelTrackDownloads parallel_;
    TrackListing listing_;
    LibraryTrackDownloads library_;
    std::vector<std::unique_ptr<BatchJob>> jobs_;
    ProgressMeter meter_;
    std::optional<JsonReport> json_;
    StopSignals stops_;
    bool interrupted_ = false;
    QString storageFailure_;
    QStringList unfinished_; // the lines of the sources a break must not pass over
};

} // namespace tavimo::cli
