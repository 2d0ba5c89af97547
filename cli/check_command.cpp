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

// The verdict's name in the JSON lines.
QString VerdictName(Mp3Fault fault)
{
    switch (fault) {
    case Mp3Fault::None:
        return QStringLiteral("whole");
    case Mp3Fault::Empty:
        return QStringLiteral("empty");
    case Mp3Fault::NotMp3:
    case Mp3Fault::HtmlPage:
    case Mp3Fault::NoFrame:
        return QStringLiteral("not-mp3");
    case Mp3Fault::TagPastEnd:
    case Mp3Fault::LastFrameCut:
    case Mp3Fault::FramesMissing:
        return QStringLiteral("cut");
    case Mp3Fault::FramesBroken:
        return QStringLiteral("broken");
    case Mp3Fault::AudioDamaged:
        return QStringLiteral("damaged");
    case Mp3Fault::ReadError:
        break;
    }
    return QStringLiteral("unreadable");
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
    for (const CheckedFile &file : check.files) {
        if (options.json)
            WriteJson({{QStringLiteral("type"), QStringLiteral("file")},
                       {QStringLiteral("path"), file.path},
                       {QStringLiteral("verdict"), VerdictName(file.verdict.fault)},
                       {QStringLiteral("detail"), file.verdict.reason()}});
        else if (!file.verdict.whole())
            WriteLine((PrintableText(file.path) + u'\t' + file.verdict.reason()).toUtf8());
    }
    const int broken = check.broken();
    const int status = broken == 0 ? kExitComplete : kExitSomeFailed;
    if (options.json)
        WriteJson({{QStringLiteral("type"), QStringLiteral("summary")},
                   {QStringLiteral("checked"), int(check.files.size())},
                   {QStringLiteral("broken"), broken},
                   {QStringLiteral("exit"), status}});
    std::fflush(stdout);
    out.always(QStringLiteral("检查了 %1 个文件, 其中 %2 个不完整").arg(check.files.size()).arg(broken));
    return status;
}

} // namespace tavimo::cli
