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

std::optional<QList<CliJob>> ParseJobLines(const QByteArray &bytes, JobLine kind, const QString &label, QString &error)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        error = QStringLiteral("%1 不是 UTF-8 文本").arg(label);
        return std::nullopt;
    }
    QList<CliJob> jobs;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        QString wrong;
        const std::optional<QList<CliJob>> lineJobs = ParseJobLine(LineWords(line), wrong, kind);
        if (!lineJobs) {
            error = QStringLiteral("%1 第 %2 行: %3").arg(label).arg(i + 1).arg(wrong);
            return std::nullopt;
        }
        jobs += *lineJobs;
    }
    if (jobs.isEmpty()) {
        error = QStringLiteral("%1 中没有命令").arg(label);
        return std::nullopt;
    }
    return jobs;
}

std::optional<QList<CliJob>> ReadBatchFile(const QString &path, QString &error)
{
    QFile file;
    if (!OpenBatch(file, path)) {
        error = QStringLiteral("无法读取批处理文件 %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return ParseJobLines(file.readAll(), JobLine::Batch, QStringLiteral("批处理文件 ") + path, error);
}

} // namespace tavimo::cli
