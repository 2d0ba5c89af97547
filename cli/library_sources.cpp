#include "cli/library_sources.h"

#include "cli/batch_file.h"
#include "cli/config_file.h"
#include "download/locked_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QString UnfinishedPath(const QString &root)
{
    return LibraryFolder(root) + QStringLiteral("/unfinished");
}

// Rewrites the marks of the unfinished sources with these ends; whether it
// could.
bool MarkUnfinished(const QString &root, const QList<SourceEnd> &ends)
{
    const QStringList before = UnfinishedSources(root);
    QStringList marked = before;
    for (const SourceEnd &end : ends) {
        const QString line = SourceLine(end.job);
        marked.removeAll(line);
        if (!end.finished)
            marked.append(line);
    }
    if (marked == before)
        return true;
    const QString path = UnfinishedPath(root);
    if (marked.isEmpty())
        return QFile::remove(path);
    QSaveFile file(path);
    const QByteArray text = marked.join(u'\n').toUtf8() + '\n';
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
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
    // A liked source keeps its cookies file whatever folder a later run is in.
    CliJob source = job;
    if (!source.cookiesFile.isEmpty())
        source.cookiesFile = QFileInfo(source.cookiesFile).absoluteFilePath();
    QStringList words = SourceWords(source);
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

QStringList UnfinishedSources(const QString &root)
{
    QFile file(UnfinishedPath(root));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString RecordSources(const QString &root, const QList<SourceEnd> &ends)
{
    const QString path = SourcesPath(root);
    SharedLineFile file;
    bool recorded = file.open(path, SharedLineFile::Access::AppendLater);
    for (qsizetype i = 0; recorded && i < ends.size(); ++i)
        recorded = file.append(SourceLine(ends.at(i).job).toUtf8(), HoldsLine);
    // The marks change whole, under the sources file's lock.
    if (recorded)
        recorded = file.exclusively([&root, &ends] { return MarkUnfinished(root, ends); });
    return recorded ? QString() : QStringLiteral("无法记录来源 %1: %2").arg(path, SystemError());
}

} // namespace tavimo::cli
