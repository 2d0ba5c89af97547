#include "cli/job_downloads.h"

namespace tavimo::cli {

namespace {

// The workflows that wait for their files once, after the last track was
// handed over; an artist waits for each album and a channel for each cycle.
bool WaitsOnceAtTheEnd(Command command)
{
    return command == Command::Album || command == Command::AlbumPlaylist || command == Command::Liked;
}

} // namespace

BatchJob::BatchJob(TrackDownloads &run, CliJob job) : JobDownloads(run), job_(std::move(job))
{
    // The template was checked when the options or the source were read.
    QString unused;
    if (!job_.shape.output.isEmpty())
        output_ = OutputTemplate::parse(job_.shape.output, unused);
}

QCoro::Task<> BatchJob::whenEnded(QStringList paths)
{
    if (WaitsOnceAtTheEnd(job_.command) && !handedOver_) {
        handedOver_ = true;
        changed_.notify();
    }
    co_await JobDownloads::whenEnded(std::move(paths));
}

void BatchJob::markReturned()
{
    handedOver_ = true;
    changed_.notify();
}

} // namespace tavimo::cli
