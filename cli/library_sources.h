#pragma once

#include "cli/cli_options.h"

#include <optional>

namespace tavimo::cli {

// The folder beneath a download root that the program keeps its own files
// in: the recorded sources, and the library's download archive.
QString LibraryFolder(const QString &root);
QString SourcesPath(const QString &root);
QString LibraryArchivePath(const QString &root);

// The line a source is recorded as: its words, each one quoted when it
// holds a blank or a quote, as LineWords reads them back.
QString SourceLine(const CliJob &job);

// The sources recorded beneath root, one command a line as in a batch file,
// with the options that shape its files. Nothing, with error set, when the
// file is missing, cannot be read, is not UTF-8, holds no source, or has a
// line that cannot be used; the error names that line.
std::optional<QList<CliJob>> ReadSources(const QString &root, QString &error);

// How a source's job ended: whether it fetched all there was, so that a
// later run may break on what the library holds.
struct SourceEnd {
    CliJob job;
    bool finished = false;
};

// Records each job's source beneath root, once: a line already there is not
// written again, even by another run appending at the same time. A source
// whose job did not finish (stopped, failed, a track missing) is marked
// unfinished until a later job of it finishes. Why the sources could not be
// recorded, or the empty text.
QString RecordSources(const QString &root, const QList<SourceEnd> &ends);

// The lines of the sources beneath root marked unfinished.
QStringList UnfinishedSources(const QString &root);

} // namespace tavimo::cli
