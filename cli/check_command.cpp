#include "cli/check_command.h"

#include "cli/exit_status.h"
#include "cli/run_settings.h"
#include "download/file_check.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace tavimo::cli {

namespace {

void WriteLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
}

void WriteJson(const QJsonObject &object)
{
    WriteLine(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

int RunCheck(const CliOptions &options, ConsoleOutput &out)
{
    const QString folder = options.arguments.isEmpty() ? ChooseDownloadRoot(options.root) : options.arguments.first();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        out.error(QStringLiteral("无法打开文件夹: ") + (folder.isEmpty() ? options.root : folder));
        return kExitRejected;
    }
    const FolderCheck check = CheckMp3Folder(folder);
    for (const BrokenFile &file : check.broken) {
        if (options.json)
            WriteJson({{QStringLiteral("type"), QStringLiteral("broken")},
                       {QStringLiteral("path"), file.path},
                       {QStringLiteral("reason"), file.reason}});
        else
            WriteLine((PrintableText(file.path) + u'\t' + file.reason).toUtf8());
    }
    const int status = check.broken.isEmpty() ? kExitComplete : kExitSomeFailed;
    if (options.json)
        WriteJson({{QStringLiteral("type"), QStringLiteral("summary")},
                   {QStringLiteral("checked"), check.checked},
                   {QStringLiteral("broken"), int(check.broken.size())},
                   {QStringLiteral("exit"), status}});
    std::fflush(stdout);
    out.always(QStringLiteral("检查了 %1 个文件, 其中 %2 个不完整").arg(check.checked).arg(check.broken.size()));
    return status;
}

} // namespace tavimo::cli
