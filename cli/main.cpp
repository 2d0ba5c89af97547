#include "cli/batch_file.h"
#include "cli/check_command.h"
#include "cli/cli_options.h"
#include "cli/config_file.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/run_settings.h"
#include "cli/whole_run.h"
#include "download/download_archive.h"
#include "download/file_downloader.h"
#include "emulator/emulator.h"
#include "net/mod_xml_http.h"

#include <QCoreApplication>

#include <unistd.h>

using namespace tavimo;
using namespace tavimo::cli;

namespace {

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

// Reads the download archive, for writing unless only listing; false when
// the run must be refused.
bool OpenArchive(DownloadArchive &archive, const CliOptions &options, ConsoleOutput &out)
{
    if (!archive.open(options.archiveFile, !options.list)) {
        out.error(archive.error());
        return false;
    }
    if (archive.damagedLines() > 0)
        out.always(QStringLiteral("警告: 下载记录 %1 中有 %2 行无法识别 (第一处在第 %3 行), 已略过")
                       .arg(options.archiveFile)
                       .arg(archive.damagedLines())
                       .arg(archive.firstDamagedLine()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Qt's own event dispatcher instead of glib's: a command line joins no
    // desktop main loop, and each socket event then costs fewer cycles.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("tavimo-dl"));
    QString configError;
    const std::optional<QStringList> config = ConfigOptions(app.arguments(), configError);
    if (!config) {
        ConsoleOutput(stderr, false, false).error(configError);
        return kExitRejected;
    }
    const CliOptions options = ParseCliOptions(app.arguments().mid(0, 1) + *config + app.arguments().mid(1));
    if (!options.answer.isEmpty()) {
        std::fputs(options.answer.toLocal8Bit().constData(), stdout);
        return kExitComplete;
    }
    // A listing shows tracks, not the download texts of the workflow.
    ConsoleOutput out(stderr, ::isatty(::fileno(stderr)) == 1, options.quiet || options.list);
    if (!options.error.isEmpty()) {
        out.error(options.error);
        return kExitRejected;
    }
    if (options.command == Command::Check)
        return RunCheck(options, out);
    QList<CliJob> jobs = JobsOf(options);
    if (!options.batchFile.isEmpty()) {
        QString batchError;
        const std::optional<QList<CliJob>> batch = ReadBatchFile(options.batchFile, batchError);
        if (!batch) {
            out.error(batchError);
            return kExitRejected;
        }
        jobs += *batch;
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
    DownloadArchive archive;
    if (!options.archiveFile.isEmpty() && !OpenArchive(archive, options, out))
        return kExitRejected;
    CommandRun run(options, out, net, files, options.archiveFile.isEmpty() ? nullptr : &archive);
    // Queued: a run refused before its first wait ends before the loop runs.
    QCoro::connect(run.run(hosts, root, jobs), &app, [&app](int status) {
        QMetaObject::invokeMethod(
            &app, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    });
    return app.exec();
}
