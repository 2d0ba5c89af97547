#pragma once

#include "cli/cli_browser_views.h"
#include "cli/cli_options.h"
#include "cli/command_run.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/job_downloads.h"
#include "cli/json_report.h"
#include "cli/progress_meter.h"
#include "cli/run_settings.h"
#include "cli/stop_signals.h"
#include "cli/track_fields.h"
#include "cli/track_listing.h"
#include "download/download_archive.h"
#include "download/file_downloader.h"
#include "download/library_track_downloads.h"
#include "download/parallel_track_downloads.h"
#include "net/mod_xml_http.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <list>
#include <memory>
#include <optional>
#include <utility>

namespace tavimo::cli {

// One run of a command with everything it reports to: the console, the JSON
// lines, the progress meter, and the ways a run ends early.
class CommandRun {
public:
    CommandRun(const CliOptions &options, ConsoleOutput &out, ModXmlHttp &net, FileDownloader &files,
               DownloadArchive *archive)
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
        useArchive(archive);
        files.setRateLimit(options.rateLimit);
        files.setTagging(options.tags);
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

    // A task of the run's exit status, once every file of its jobs has its
    // final name (or kept its ".part" after a stop).
    QCoro::Task<int> run(ServiceHosts hosts, QString root, QList<CliJob> jobs)
    {
        for (const CliJob &job : jobs)
            jobs_.push_back(std::make_unique<BatchJob>(library_, job));
        placeTracks(root);
        const RunTally whole(library_);
        const QList<RunResult> results = co_await runJobs(hosts, root);
        // A stopped workflow returns before its last tracks ended; the
        // summaries count them once they have.
        co_await library_.finish();
        int status = kExitComplete;
        RunEnd end = RunEnd::Done;
        QString reason;
        PageReply failedPage;
        for (qsizetype i = 0; i < results.size(); ++i) {
            RunResult settled = results.at(i);
            RecordTally tally = TallyRecords(library_.records(), 0, jobs_.at(size_t(i))->job());
            settled.counts = tally.counts;
            settled.failedTracks = std::move(tally.failures);
            // A storage failure stopped the run, not the user.
            if (!storageFailure_.isEmpty() && settled.end == RunEnd::Stopped) {
                settled.end = RunEnd::Failed;
                settled.reason = storageFailure_;
            }
            const int jobStatus = ExitStatus(settled, interrupted_);
            if (jobStatus > status || (settled.end != RunEnd::Done && end == RunEnd::Done)) {
                end = settled.end;
                reason = settled.reason;
                failedPage = settled.failedPage;
            }
            status = std::max(status, jobStatus);
            if (json_ && jobs_.size() > 1)
                json_->jobSummary(jobs_.at(size_t(i))->command(), settled, jobStatus);
        }
        RunResult result = whole.result(end, reason);
        result.failedPage = failedPage;
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

private:
    // The jobs in order on the run's one scheduler: each next job starts
    // once the one before has handed all its tracks over, so the transfers
    // go on across them; at most two are under way. Their results, as far
    // as the run got before a stop.
    QCoro::Task<QList<RunResult>> runJobs(ServiceHosts hosts, QString root)
    {
        QList<RunResult> results;
        std::list<CommandSetup> setups;
        std::optional<QCoro::Task<RunResult>> previous;
        for (const std::unique_ptr<BatchJob> &job : jobs_) {
            if (net_.stop().isRaised())
                break;
            setups.push_back(CommandSetup{hosts, root, net_, *job, out_, PauseSetting(), options_.jobs, showChannel()});
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

    static QCoro::Task<RunResult> runJob(BatchJob &job, CommandSetup &setup)
    {
        const RunResult result = co_await RunCommand(job.command(), setup);
        job.markReturned();
        co_return result;
    }

    void placeTracks(const QString &root)
    {
        if (!options_.output)
            return;
        library_.setPlace([this, root](const TrackFile &track) {
            const BatchJob *owner = jobOf(track);
            const Command command = owner != nullptr ? owner->command().command : options_.command;
            return options_.output->fill(root, FieldsOf(command, root, track));
        });
    }

    std::function<void(const HotChannel &)> showChannel()
    {
        if (json_)
            return [this](const HotChannel &channel) { json_->channel(channel); };
        return [](const HotChannel &channel) { PrintLine(ChannelListLine(channel)); };
    }

    static void PrintLine(const QString &line)
    {
        const QByteArray bytes = line.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
    }

    void useArchive(DownloadArchive *archive)
    {
        if (archive == nullptr)
            return;
        if (options_.list) {
            listing_.setArchived([archive](const TrackFile &track) { return archive->contains(SongIdOf(track.url)); });
            return;
        }
        library_.setArchive(archive, [this](const QString &error) { out_.error(error); });
    }

    // With --m3u, after the last file of the run settled: whether every
    // playlist could be written.
    bool writePlaylists()
    {
        if (!options_.m3u || options_.list)
            return true;
        const QStringList errors = library_.writePlaylists();
        for (const QString &error : errors)
            out_.error(error);
        return errors.isEmpty();
    }

    void showListed(const TrackFile &track, ListedState state)
    {
        if (json_)
            return json_->trackListed(track, state);
        PrintLine(PrintableText(track.tags.title) + u'\t' + PrintableText(QFileInfo(track.path).fileName()) + u'\t' +
                  ListedStateText(state));
    }

    // The job that handed the track over.
    BatchJob *jobOf(const TrackFile &track) const
    {
        const auto found = std::find_if(jobs_.cbegin(), jobs_.cend(), [&track](const std::unique_ptr<BatchJob> &job) {
            return job->job() == track.job;
        });
        return found != jobs_.cend() ? found->get() : nullptr;
    }

    void trackEnded(const TrackFile &track, const DownloadEnd &end)
    {
        if (json_)
            json_->trackEnded(track, end);
        // A saved file with a reason is whole but could not be tagged.
        if (end.outcome == DownloadOutcome::Saved && !end.reason.isEmpty())
            out_.error(QStringLiteral("《%1》已保存, 但%2").arg(TitleOf(track.path), end.reason));
    }

    // One line per track that did not reach the disk, with why; tracks that
    // a stop cut short are left out.
    void reportFailedTracks(const RunResult &result)
    {
        for (const FailedTrack &track : result.failedTracks) {
            if (track.kind != FailureKind::Cancelled)
                out_.error(QStringLiteral("《%1》下载失败: %2").arg(TitleOf(track.path), track.reason));
        }
    }

    void summarize(const RunResult &result)
    {
        if (options_.command == Command::Channels)
            return;
        if (options_.list)
            out_.always(QStringLiteral("共 %1 首, 已存在 %2 首").arg(listing_.listed()).arg(listing_.present()));
        else
            out_.always(SummaryLine(result.counts));
    }

    // A full disk or a folder that refuses files ends the run at once: the
    // next tracks would fail the same way.
    void stopForStorage(const QString &reason)
    {
        if (!storageFailure_.isEmpty())
            return;
        storageFailure_ = reason;
        out_.error(QStringLiteral("无法写入下载文件夹 (%1), 下载已停止").arg(reason));
        net_.cancelAll();
        parallel_.abandon();
    }

    // Every wait of the run ends at once, its pauses too: the transfers in
    // flight keep their ".part", whole bodies still take their names. A
    // second Ctrl-C leaves the event loop without waiting for the run.
    void stopForSignal()
    {
        if (std::exchange(interrupted_, true)) {
            out_.error(QStringLiteral("已中断"));
            QCoreApplication::exit(kExitInterrupted);
            return;
        }
        net_.cancelAll();
        parallel_.abandon();
    }

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
};

} // namespace tavimo::cli
