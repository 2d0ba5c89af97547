#include "cli/console_output.h"

#include <cstdio>

namespace tavimo::cli {

ConsoleOutput::ConsoleOutput(FILE *stream, bool terminal, bool quiet)
    : stream_(stream), terminal_(terminal), quiet_(quiet)
{
}

void ConsoleOutput::status(const QString &text)
{
    if (!quiet_)
        writeLine(text);
}

void ConsoleOutput::error(const QString &text)
{
    writeLine(QStringLiteral("错误: ") + text);
}

void ConsoleOutput::notice(const QString &text)
{
    if (!quiet_)
        writeLine(QStringLiteral("提示: ") + text);
}

void ConsoleOutput::always(const QString &text)
{
    writeLine(text);
}

void ConsoleOutput::progress(const QString &text)
{
    if (!terminal_ || quiet_)
        return;
    // Back to the start of the line, erase it, draw the new state.
    write("\r\x1b[K" + PrintableText(text).toUtf8());
    progressShown_ = true;
}

void ConsoleOutput::clearProgress()
{
    if (!progressShown_)
        return;
    write("\r\x1b[K");
    progressShown_ = false;
}

void ConsoleOutput::writeLine(const QString &text)
{
    clearProgress();
    write(PrintableText(text).toUtf8() + '\n');
}

void ConsoleOutput::write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream_);
    std::fflush(stream_);
}

QString PrintableText(const QString &text)
{
    QString printable = text;
    for (QChar &c : printable) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code <= 0x9f))
            c = u'?';
    }
    return printable;
}

void PrintResultLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace tavimo::cli
