#include "cli/cli_options.h"
#include "cli/command_run.h"
#include "cli/console_output.h"
#include "cli/download_jobs.h"
#include "cli/exit_status.h"
#include "net/http_reply.h"
#include "cli/progress_meter.h"
#include "cli/run_settings.h"
#include "cli/stop_signals.h"
#include "download/file_downloader.h"
#include "emulator/emulator.h"
#include "net/mod_xml_http.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

using namespace tavimo;
using namespace tavimo::cli;

namespace {

// How long a stop may take to unwind before the process ends regardless.
constexpr int kStopGraceMs = 500;

// The built-in host names, answered by the emulator through its proxy port.
class Demo {
public:
    bool start(ModXmlHttp &net)
    {
        if (!emulator_.start())
            return false;
        net.setProxy(QStringLiteral("http://127.0.0.1:%1").arg(emulator_.proxyPort()));
        return true;
    }

private:
    emu::Emulator emulator_;
};

// One line per track that did not reach the disk, with why; tracks that a
// stop cut short are left out.
void ReportFailedTracks(const RunResult &result, ConsoleOutput &out)
{
    for (const FailedTrack &track : result.failedTracks) {
        if (track.reason != kCancelledReason)
            out.error(QStringLiteral("《%1》下载失败: %2").arg(QFileInfo(track.path).completeBaseName(), track.reason));
    }
}

int PauseSetting()
{
    bool isNumber = false;
    const int value = qEnvironmentVariableIntValue("TAVIMO_PAUSE_MS", &isNumber);
    return isNumber && value >= 0 ? value : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("tavimo-dl"));
    const CliOptions options = ParseCliOptions(app.arguments());
    if (!options.answer.isEmpty()) {
        std::fputs(options.answer.toLocal8Bit().constData(), stdout);
        return kExitComplete;
    }
    ConsoleOutput out(stderr, ::isatty(::fileno(stderr)) == 1, options.quiet);
    if (!options.error.isEmpty()) {
        out.error(options.error);
        return kExitRejected;
    }

    ModXmlHttp net;
    FileDownloader files(net);
    ServiceHosts hosts = ServiceHosts::builtIn();
    Demo demo;
    if (options.demo && !demo.start(net)) {
        out.error(QStringLiteral("无法启动内置的演示服务"));
        return kExitSomeFailed;
    }
    if (const auto testHosts = HostsFromSetting(qEnvironmentVariable("TAVIMO_HOSTS")); testHosts && !options.demo)
        hosts = *testHosts;
    const QString root = ChooseDownloadRoot(options.root);
    if (root.isEmpty()) {
        out.error(QStringLiteral("无法使用下载文件夹: ") + options.root);
        return kExitRejected;
    }

    DownloadJobs jobs(files, options.jobs);
    ProgressMeter meter(out);
    QObject::connect(&files, &FileDownloader::downloadProgress, &files,
                     [&meter](const QString &path, qint64 received, qint64 total) { meter.report(path, received, total); });

    bool interrupted = false;
    StopSignals stops;
    QObject::connect(&stops, &StopSignals::stopRequested, &net, [&](int) {
        interrupted = true;
        net.cancelAll();
        jobs.abandon();
        // A workflow in one of its pauses sees the stop only when the pause ends.
        QTimer::singleShot(kStopGraceMs, [&out] {
            out.error(QStringLiteral("已中断"));
            std::_Exit(kExitInterrupted);
        });
    });

    CommandSetup setup{hosts, root, net, jobs.downloads(), out, PauseSetting()};
    const RunResult result = RunCommand(options, setup);
    ReportFailedTracks(result, out);
    if (interrupted)
        out.error(QStringLiteral("已中断"));
    if (options.command != Command::Channels)
        out.always(SummaryLine(result.counts));
    return ExitStatus(result, interrupted);
}
