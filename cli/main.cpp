#include "cli/batch_file.h"
#include "cli/check_command.h"
#include "cli/cli_options.h"
#include "cli/config_file.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/library_sources.h"
#include "cli/run_settings.h"
#include "cli/whole_run.h"
#include "download/download_archive.h"
#include "download/file_downloader.h"
#include "emulator/emulator.h"
#include "net/mod_xml_http.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

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

// Whether the run keeps a library beneath its root: it fetches tracks and
// records their sources.
bool KeepsLibrary(const CliOptions &options, const QList<CliJob> &jobs)
{
    return options.record &&
           std::any_of(jobs.cbegin(), jobs.cend(), [](const CliJob &job) { return FetchesTracks(job.command); });
}

// Whether the run skips the tracks its archive has: one named, or the
// library's own when it syncs or breaks on what the library holds.
bool SkipsArchived(const CliOptions &options)
{
    return !options.archiveFile.isEmpty() || options.command == Command::Sync || options.breakOnExisting;
}

// The archive a run keeps: the one named, else the library's own when the
// run skips by it or keeps the library; empty for none.
QString ArchivePathOf(const CliOptions &options, const QString &root, bool keepsLibrary)
{
    if (!options.archiveFile.isEmpty())
        return options.archiveFile;
    return SkipsArchived(options) || keepsLibrary ? LibraryArchivePath(root) : QString();
}

// A listing only reads the archive; a run merely keeping its library's
// archive fetches what is not on disk, as without one.
ArchiveUse ArchiveUseOf(const CliOptions &options)
{
    if (options.list)
        return ArchiveUse::Consult;
    return SkipsArchived(options) ? ArchiveUse::Skip : ArchiveUse::Record;
}

// Reads the download archive at path, for writing unless only listing (the
// library's own is made by its first line); false when the run must be
// refused.
bool OpenArchive(DownloadArchive &archive, const QString &path, const CliOptions &options, ConsoleOutput &out)
{
    using Access = SharedLineFile::Access;
    const Access access = options.list                    ? Access::Read
                          : options.archiveFile.isEmpty() ? Access::AppendLater
                                                          : Access::Append;
    if (!archive.open(path, access)) {
        out.error(archive.error());
        return false;
    }
    if (archive.damagedLines() > 0)
        out.always(QStringLiteral("警告: 下载记录 %1 中有 %2 行无法识别 (第一处在第 %3 行), 已略过")
                       .arg(path)
                       .arg(archive.damagedLines())
                       .arg(archive.firstDamagedLine()));
    return true;
}

// The jobs of the run: the command line's and the batch file's, or the
// sources a sync reruns; nothing, with error set, when they cannot be read.
std::optional<QList<CliJob>> JobsOfRun(const CliOptions &options, const QString &root, QString &error)
{
    if (options.command == Command::Sync)
        return ReadSources(root, error);
    QList<CliJob> jobs = JobsOf(options);
    if (options.batchFile.isEmpty())
        return jobs;
    std::optional<QList<CliJob>> batch = ReadBatchFile(options.batchFile, error);
    if (!batch)
        return std::nullopt;
    for (CliJob &job : *batch)
        job.shape = options.shape;
    return jobs + *batch;
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
    // A sync names a library that is there; it makes no folder.
    if (options.command == Command::Sync && !options.root.isEmpty() && !QFileInfo(options.root).isDir()) {
        out.error(QStringLiteral("下载文件夹不存在: ") + options.root);
        return kExitRejected;
    }
    const QString root = ChooseDownloadRoot(options.root);
    if (root.isEmpty()) {
        out.error(QStringLiteral("无法使用下载文件夹: ") + options.root);
        return kExitRejected;
    }
    QString jobsError;
    const std::optional<QList<CliJob>> jobs = JobsOfRun(options, root, jobsError);
    if (!jobs) {
        out.error(jobsError);
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
    DownloadArchive archive;
    const QString archivePath = ArchivePathOf(options, root, KeepsLibrary(options, *jobs));
    if (!archivePath.isEmpty() && !OpenArchive(archive, archivePath, options, out))
        return kExitRejected;
    CommandRun run(options, out, net, files);
    if (!archivePath.isEmpty())
        run.useArchive(archive, ArchiveUseOf(options));
    // Queued: a run refused before its first wait ends before the loop runs.
    QCoro::connect(run.run(hosts, root, *jobs), &app, [&app](int status) {
        QMetaObject::invokeMethod(
            &app, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    });
    return app.exec();
}
