#pragma once

#include "cli/console_output.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

namespace tavimo::cli {

// One file's progress as the line shows it: name, bar, percentage, bytes,
// rate and time left. total is -1 when the size is unknown; bytesPerSecond
// is 0 until a rate can be told.
QString FormatProgress(const QString &name, qint64 received, qint64 total, double bytesPerSecond);

// "1.5 MB", "512 KB", "37 B".
QString FormatBytes(qint64 bytes);

// Turns the network object's per-file progress into the progress line,
// measuring each file's rate from its first report.
class ProgressMeter {
public:
    explicit ProgressMeter(ConsoleOutput &out) : out_(out) {}

    void report(const QString &path, qint64 received, qint64 total);

private:
    struct Start {
        QElapsedTimer clock;
        qint64 bytes = 0;
    };

    ConsoleOutput &out_;
    QHash<QString, Start> starts_;
};

} // namespace tavimo::cli
