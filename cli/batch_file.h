#pragma once

#include "cli/cli_options.h"

#include <optional>

namespace tavimo::cli {

// The jobs of a batch file ("-" for standard input): one command a line as
// on the command line ("album URL", "artist --name 林晓", "channel 153",
// "liked"), with "#" comments and blank lines. Nothing, with error set,
// when the file cannot be read, is not UTF-8, holds no command, or has a
// line that cannot be used; the error names that line.
std::optional<QList<CliJob>> ReadBatchFile(const QString &path, QString &error);

// The jobs of a file's bytes read as a batch file's lines of the kind; label
// names the file in the error ("批处理文件 jobs.txt").
std::optional<QList<CliJob>> ParseJobLines(const QByteArray &bytes, JobLine kind, const QString &label, QString &error);

} // namespace tavimo::cli
