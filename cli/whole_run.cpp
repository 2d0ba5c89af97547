#include "cli/whole_run.h"

#include "cli/cli_browser_views.h"
#include "cli/exit_status.h"
#include "cli/library_sources.h"
#include "cli/run_settings.h"
#include "cli/track_fields.h"
#include "download/download_archive.h"
#include "net/mod_xml_http.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <list>
#include <utility>

namespace tavimo::cli {

namespace {

// Whether a job's end leaves a source worth rerunning: not one refused for
// its input or unknown to the service.
bool LeavesSource(const RunResult &result)
{
    return result.end != RunEnd::Rejected && result.end != RunEnd::NothingFound;
}

// Whether a job left nothing that a later break could pass over. Only the
// liked list breaks by its pages; an artist's albums break one by one, each
// only once the archive has it whole.
bool Finished(const CliJob &job, const RunResult &result)
{
    return job.command != Command::Liked || (result.end == RunEnd::Done && result.counts.failed == 0);
}

} // namespace

CommandRun::CommandRun(const CliOptions &options, ConsoleOutput &out, ModXmlHttp &net, FileDownloader &files)
    : options_(options), out_(out), net_(net), parallel_(files, options.jobs),
      listing_([this](const TrackFile &track, ListedState state) { showListed(track, state); }),
      library_(options.list ? static_cast<TrackDownloads &>(listing_) : parallel_), meter_(out)
{
    if (options.json)
        json_.emplace(stdout);
    const int pauseMs = PauseSetting();
    parallel_.setRetries(options.retries, pauseMs >= 0 ? pauseMs : kFirstRetryPauseMs);
    parallel_.setStorageFailed([this](const QString &reason) { stopForStorage(reason); });
    library_.setTrackEnded([this](const TrackFile &track, const DownloadEnd &end) { trackEnded(track, end); });
    files.setRateLimit(options.rateLimit);
    files.setTagging([this](const TrackFile &track) { return shapeOf(track).tags; });
    files.setCheckPresent(options.checkPresent);
    QObject::connect(
        &files, &FileDownloader::downloadProgress, &files,
        [this](const QString &path, qint64 received, qint64 total) { meter_.report(path, received, total); });
    QObject::connect(&stops_, &StopSignals::stopRequested, &net, [this](int) { stopForSignal(); });
    net.setPageGap(options.sleepRequestsMs);
    net.setStallTimeout(options.stallTimeoutMs);
    QObject::connect(&net, &ModXmlHttp::hostHeld, &net, [this](const QString &, qint64 seconds) {
        out_.always(QStringLiteral("服务器要求等待 %1 秒").arg(seconds));
    });
}

void CommandRun::useArchive(DownloadArchive &archive, ArchiveUse use)
{
    if (use == ArchiveUse::Consult)
        listing_.setArchived([&archive](const TrackFile &track) { return archive.contains(SongIdOf(track.url)); });
    library_.setArchive(&archive, use, [this](const QString &error) { out_.error(error); });
}

QCoro::Task<int> CommandRun::run(ServiceHosts hosts, QString root, QList<CliJob> jobs)
{
    for (const CliJob &job : jobs)
        jobs_.push_back(std::make_unique<BatchJob>(library_, job));
    placeTracks(root);
    if (options_.breakOnExisting)
        unfinished_ = UnfinishedSources(root);
    const RunTally whole(library_);
    const QList<RunResult> results = co_await runJobs(hosts, root);
    // A stopped workflow returns before its last tracks ended; the
    // summaries count them once they have.
    co_await library_.finish();
    RunVerdict verdict;
    QList<SourceEnd> sources;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const BatchJob &job = *jobs_.at(size_t(i));
        const RunResult result = settled(results.at(i), job);
        const int status = jobStatus(result);
        verdict.weigh(result, status);
        reportJob(job, result, status);
        if (FetchesTracks(job.command().command) && LeavesSource(result))
            sources.append({job.command(), Finished(job.command(), result)});
    }
    RunResult result = whole.result(verdict.end, verdict.reason);
    result.failedPage = verdict.failedPage;
    int status = std::max(verdict.status, recordSources(root, sources));
    if (!storageFailure_.isEmpty()) {
        result.end = RunEnd::Failed;
        result.reason = storageFailure_;
        status = std::max(status, kExitSomeFailed);
    }
    reportFailedTracks(result);
    if (!writePlaylists())
        status = std::max(status, kExitSomeFailed);
    if (interrupted_) {
        out_.error(QStringLiteral("已中断"));
        status = kExitInterrupted;
    }
    summarize(result);
    if (json_)
        json_->summary(result, status);
    co_return status;
}

// The jobs in order on the run's one scheduler: each next job starts once
// the one before has handed all its tracks over, so the transfers go on
// across them; at most two are under way. Their results, as far as the run
// got before a stop.
QCoro::Task<QList<RunResult>> CommandRun::runJobs(ServiceHosts hosts, QString root)
{
    QList<RunResult> results;
    std::list<CommandSetup> setups;
    std::optional<QCoro::Task<RunResult>> previous;
    for (const std::unique_ptr<BatchJob> &job : jobs_) {
        if (net_.stop().isRaised())
            break;
        // A source that did not finish last time is read whole, so the break
        // cannot pass over what it left.
        const bool breaks = options_.breakOnExisting && !unfinished_.contains(SourceLine(job->command()));
        setups.push_back(
            CommandSetup{hosts, root, net_, *job, out_, PauseSetting(), options_.jobs, breaks, showChannel()});
        QCoro::Task<RunResult> current = runJob(*job, setups.back());
        if (previous) {
            results.append(co_await *previous);
            previous.reset();
        }
        BatchJob &started = *job;
        const auto handedOver = [&started] { return started.handedOver(); };
        co_await started.changed().until(handedOver);
        previous = std::move(current);
    }
    if (previous)
        results.append(co_await *previous);
    co_return results;
}

QCoro::Task<RunResult> CommandRun::runJob(BatchJob &job, CommandSetup &setup)
{
    const RunResult result = co_await RunCommand(job.command(), setup);
    job.markReturned();
    co_return result;
}

// The job's result with its own tracks' counts; a storage failure stopped
// the run, not the user.
RunResult CommandRun::settled(const RunResult &result, const BatchJob &job) const
{
    RunResult settled = result;
    RecordTally tally = TallyRecords(library_.records(), 0, job.job());
    settled.counts = tally.counts;
    settled.failedTracks = std::move(tally.failures);
    if (!storageFailure_.isEmpty() && settled.end == RunEnd::Stopped) {
        settled.end = RunEnd::Failed;
        settled.reason = storageFailure_;
    }
    return settled;
}

// One line per job of a batch (--json), and one per source of a sync.
void CommandRun::reportJob(const BatchJob &job, const RunResult &result, int status)
{
    const bool sync = options_.command == Command::Sync;
    std::optional<int> pending;
    if (options_.list)
        pending = listing_.pending(job.job());
    if (json_ && (jobs_.size() > 1 || sync))
        json_->jobSummary(job.command(), result, status, sync ? SourceLine(job.command()) : QString(), pending);
    if (!sync || json_)
        return;
    QString done = pending ? QStringLiteral("待下载 %1 首").arg(*pending) : SummaryLine(result.counts);
    // A source that failed says so, with its cause, before its counts.
    if (jobStatus(result) == kExitSomeFailed && !result.reason.isEmpty())
        done = QStringLiteral("失败 (%1); %2").arg(result.reason, done);
    out_.always(QStringLiteral("来源 %1: %2").arg(SourceLine(job.command()), done));
}

// A job's exit status; in a sync, a source refused for its input (a cookies
// file gone) is a failure among requests already made, not a command line
// refused before any.
int CommandRun::jobStatus(const RunResult &result) const
{
    const int status = ExitStatus(result, interrupted_);
    return options_.command == Command::Sync && status == kExitRejected ? kExitSomeFailed : status;
}

// Records the sources of a run that keeps its library, and whether each
// finished; the exit status a failure to write them calls for.
int CommandRun::recordSources(const QString &root, const QList<SourceEnd> &sources)
{
    if (!options_.record || sources.isEmpty())
        return kExitComplete;
    const QString error = RecordSources(root, sources);
    if (error.isEmpty())
        return kExitComplete;
    out_.error(error);
    return kExitSomeFailed;
}

void CommandRun::placeTracks(const QString &root)
{
    const bool anyTemplate = std::any_of(jobs_.cbegin(), jobs_.cend(),
                                         [](const std::unique_ptr<BatchJob> &job) { return job->output(); });
    if (!anyTemplate)
        return;
    library_.setPlace([this, root](const TrackFile &track) {
        const BatchJob *owner = jobOf(track);
        if (owner == nullptr || !owner->output())
            return track.path;
        return owner->output()->fill(root, FieldsOf(owner->command().command, root, track));
    });
}

std::function<void(const HotChannel &)> CommandRun::showChannel()
{
    if (json_)
        return [this](const HotChannel &channel) { json_->channel(channel); };
    return [](const HotChannel &channel) { PrintResultLine(ChannelListLine(channel)); };
}

// After the last file of the run settled, the playlists of the jobs that
// asked for them: whether every one could be written.
bool CommandRun::writePlaylists()
{
    if (options_.list)
        return true;
    const QStringList errors = library_.writePlaylists(
        [this](int job) {
            return std::any_of(jobs_.cbegin(), jobs_.cend(), [job](const std::unique_ptr<BatchJob> &owner) {
                return owner->job() == job && owner->command().shape.m3u;
            });
        },
        options_.breakOnExisting);
    for (const QString &error : errors)
        out_.error(error);
    return errors.isEmpty();
}

void CommandRun::showListed(const TrackFile &track, ListedState state)
{
    if (json_)
        return json_->trackListed(track, state);
    PrintResultLine(PrintableText(track.tags.title) + u'\t' + PrintableText(QFileInfo(track.path).fileName()) + u'\t' +
                    ListedStateText(state));
}

// The job that handed the track over.
const BatchJob *CommandRun::jobOf(const TrackFile &track) const
{
    const auto found = std::find_if(jobs_.cbegin(), jobs_.cend(),
                                    [&track](const std::unique_ptr<BatchJob> &job) { return job->job() == track.job; });
    return found != jobs_.cend() ? found->get() : nullptr;
}

FileShape CommandRun::shapeOf(const TrackFile &track) const
{
    const BatchJob *owner = jobOf(track);
    return owner != nullptr ? owner->command().shape : options_.shape;
}

void CommandRun::trackEnded(const TrackFile &track, const DownloadEnd &end)
{
    if (json_)
        json_->trackEnded(track, end);
    // A saved file with a reason is whole but could not be tagged.
    if (end.outcome == DownloadOutcome::Saved && !end.reason.isEmpty())
        out_.error(QStringLiteral("《%1》已保存, 但%2").arg(TitleOf(track.path), end.reason));
}

// One line per track that did not reach the disk, with why; tracks that a
// stop cut short are left out.
void CommandRun::reportFailedTracks(const RunResult &result)
{
    for (const FailedTrack &track : result.failedTracks) {
        if (track.kind != FailureKind::Cancelled)
            out_.error(QStringLiteral("《%1》下载失败: %2").arg(TitleOf(track.path), track.reason));
    }
}

void CommandRun::summarize(const RunResult &result)
{
    if (options_.command == Command::Channels)
        return;
    if (options_.list)
        out_.always(QStringLiteral("共 %1 首, 已存在 %2 首").arg(listing_.listed()).arg(listing_.present()));
    else
        out_.always(SummaryLine(result.counts));
}

// A full disk or a folder that refuses files ends the run at once: the next
// tracks would fail the same way.
void CommandRun::stopForStorage(const QString &reason)
{
    if (!storageFailure_.isEmpty())
        return;
    storageFailure_ = reason;
    out_.error(QStringLiteral("无法写入下载文件夹 (%1), 下载已停止").arg(reason));
    net_.cancelAll();
    parallel_.abandon();
}

// Every wait of the run ends at once, its pauses too: the transfers in
// flight keep their ".part", whole bodies still take their names. A second
// Ctrl-C leaves the event loop without waiting for the run.
void CommandRun::stopForSignal()
{
    if (std::exchange(interrupted_, true)) {
        out_.error(QStringLiteral("已中断"));
        QCoreApplication::exit(kExitInterrupted);
        return;
    }
    net_.cancelAll();
    parallel_.abandon();
}

} // namespace tavimo::cli
