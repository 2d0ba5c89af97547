#pragma once

#include <QString>

#include <cstdio>

namespace tavimo::cli {

// Everything tavimo-dl says, on one stream (standard error). Status texts
// and notices are left out when quiet; errors and the summary never are.
// The progress line is drawn only on a terminal, where it is rewritten in
// place and cleared before the next ordinary line.
class ConsoleOutput {
public:
    ConsoleOutput(FILE *stream, bool terminal, bool quiet);

    void status(const QString &text);
    void error(const QString &text);  // "错误: " + text
    void notice(const QString &text); // "提示: " + text
    void always(const QString &text);
    void progress(const QString &text);
    void clearProgress();

    bool isTerminal() const { return terminal_; }
    bool isQuiet() const { return quiet_; }

private:
    void writeLine(const QString &text);
    void write(const QByteArray &bytes);

    FILE *stream_;
    bool terminal_;
    bool quiet_;
    bool progressShown_ = false;
};

// The text with every control character (C0, DEL, C1) replaced by "?", so a
// title from the service can never move the cursor or end a line.
QString PrintableText(const QString &text);

// Writes one line of what the run found (a track listed, a channel) to
// standard output at once.
void PrintResultLine(const QString &line);

} // namespace tavimo::cli
