#pragma once

#include "cli/cli_options.h"
#include "download/track_downloads.h"
#include "net/wakeup.h"

namespace tavimo::cli {

// The track downloads of one job of a run, in front of the run's one
// scheduler: the job's own counts for its summary, and a sign once the job
// has handed all its tracks over and only waits for them, so that the next
// job can start meanwhile. Each track it takes carries the job's number, for
// the run to tell this job of its end.
class JobDownloads final : public TrackDownloads {
public:
    JobDownloads(TrackDownloads &run, CliJob job, int number) : run_(run), job_(std::move(job)), number_(number) {}

    const CliJob &job() const { return job_; }

    QCoro::Task<> download(TrackFile track) override;
    QCoro::Task<> whenEnded(QStringList paths) override;
    QCoro::Task<> finish() override { co_await run_.finish(); }
    void prepareFolder(const QString &folder) override { run_.prepareFolder(folder); }

    // A track of this job ended.
    void ended(const TrackFile &track, const DownloadEnd &end) { count(track, end); }

    // Whether only the end of the tracks is left: an album or liked job that
    // waits for its files, or a job whose workflow returned.
    bool handedOver() const { return handedOver_; }
    void markReturned();
    Wakeup &changed() { return changed_; }

private:
    TrackDownloads &run_;
    CliJob job_;
    int number_; // from 1
    bool handedOver_ = false;
    Wakeup changed_;
};

} // namespace tavimo::cli
