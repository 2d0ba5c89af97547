#include "cli/batch_file.h"

#include "cli/config_file.h"

#include <QFile>
#include <QStringDecoder>

#include <cstdio>

namespace tavimo::cli {

namespace {

bool OpenBatch(QFile &file, const QString &path)
{
    if (path == QLatin1String("-"))
        return file.open(stdin, QIODevice::ReadOnly);
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace

std::optional<QList<CliJob>> ReadBatchFile(const QString &path, QString &error)
{
    QFile file;
    if (!OpenBatch(file, path)) {
        error = QStringLiteral("无法读取批处理文件 %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file.readAll());
    if (utf8.hasError()) {
        error = QStringLiteral("批处理文件 %1 不是 UTF-8 文本").arg(path);
        return std::nullopt;
    }
    QList<CliJob> jobs;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        QString wrong;
        const std::optional<QList<CliJob>> lineJobs = ParseJobLine(LineWords(line), wrong);
        if (!lineJobs) {
            error = QStringLiteral("批处理文件 %1 第 %2 行: %3").arg(path).arg(i + 1).arg(wrong);
            return std::nullopt;
        }
        jobs += *lineJobs;
    }
    if (jobs.isEmpty()) {
        error = QStringLiteral("批处理文件 %1 中没有命令").arg(path);
        return std::nullopt;
    }
    return jobs;
}

} // namespace tavimo::cli
