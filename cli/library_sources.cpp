#include "cli/library_sources.h"

#include "cli/batch_file.h"
#include "cli/config_file.h"
#include "download/locked_file.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavimo::cli {

namespace {

QString Quoted(const QString &word)
{
    const bool plain = !word.isEmpty() && !word.contains(u'"') &&
                       std::none_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSpace(); });
    if (plain)
        return word;
    QString quoted = word;
    quoted.replace(u'"', QStringLiteral("\"\"\""));
    return u'"' + quoted + u'"';
}

bool HoldsLine(const QByteArray &text, const QByteArray &line)
{
    const QList<QByteArray> lines = text.split('\n');
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&line](const QByteArray &held) { return held.trimmed() == line; });
}

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString LibraryFolder(const QString &root)
{
    return root + QStringLiteral("/.tavimo");
}

QString SourcesPath(const QString &root)
{
    return LibraryFolder(root) + QStringLiteral("/sources");
}

QString LibraryArchivePath(const QString &root)
{
    return LibraryFolder(root) + QStringLiteral("/archive");
}

QString SourceLine(const CliJob &job)
{
    QStringList words = SourceWords(job);
    for (QString &word : words)
        word = Quoted(word);
    return words.join(u' ');
}

std::optional<QList<CliJob>> ReadSources(const QString &root, QString &error)
{
    const QString path = SourcesPath(root);
    SharedLineFile file;
    const bool opened = file.open(path, SharedLineFile::Access::Read);
    if (opened && !file.isOpen()) {
        error = QStringLiteral("%1 中没有记录的来源 (%2 不存在)").arg(root, path);
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = opened ? file.read() : std::nullopt;
    if (!bytes) {
        error = QStringLiteral("无法读取来源记录 %1: %2").arg(path, SystemError());
        return std::nullopt;
    }
    return ParseJobLines(*bytes, JobLine::Source, QStringLiteral("来源记录 ") + path, error);
}

QString RecordSource(const QString &root, const CliJob &job)
{
    const QString path = SourcesPath(root);
    // Kept whatever folder a later sync runs in.
    CliJob source = job;
    if (!source.cookiesFile.isEmpty())
        source.cookiesFile = QFileInfo(source.cookiesFile).absoluteFilePath();
    SharedLineFile file;
    if (!file.open(path, SharedLineFile::Access::AppendLater) || !file.append(SourceLine(source).toUtf8(), HoldsLine))
        return QStringLiteral("无法记录来源 %1: %2").arg(path, SystemError());
    return QString();
}

} // namespace tavimo::cli
