#include "cli/cli_main_view.h"
#include "cli/console_output.h"
#include "cli/progress_meter.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tavimo::cli {
namespace {

// Everything a ConsoleOutput wrote, read back from a temporary file.
class Captured {
public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() { std::fclose(file_); }
    FILE *stream() const { return file_; }
    QByteArray text() const
    {
        std::fflush(file_);
        std::rewind(file_);
        QByteArray bytes;
        char chunk[4096];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0)
            bytes.append(chunk, static_cast<qsizetype>(got));
        return bytes;
    }

private:
    FILE *file_;
};

void SayEverything(ConsoleOutput &out)
{
    out.status(QStringLiteral("正在下载:  《晴天》 ..."));
    out.progress(QStringLiteral("晴天.mp3  [####]"));
    out.notice(QStringLiteral("请先等待上一个操作完成"));
    out.error(QStringLiteral("专辑地址无法识别"));
    out.always(QStringLiteral("summary"));
}

// Without a terminal: one plain line per text, marks on messages, no progress and no control
// character at all. Quiet keeps only errors and the summary.
TEST(ConsoleOutput, PlainLinesAndQuiet)
{
    const struct {
        bool terminal, quiet;
        const char *expected;
    } rows[] = {
        {false, false, "正在下载:  《晴天》 ...\n提示: 请先等待上一个操作完成\n错误: 专辑地址无法识别\nsummary\n"},
        {true, true, "错误: 专辑地址无法识别\nsummary\n"},
    };
    for (const auto &row : rows) {
        Captured captured;
        ConsoleOutput out(captured.stream(), row.terminal, row.quiet);
        SayEverything(out);
        EXPECT_EQ(QString::fromUtf8(captured.text()), QString::fromUtf8(row.expected)) << row.quiet;
    }
}

// On a terminal the progress line is rewritten in place and erased before
// the next ordinary line.
TEST(ConsoleOutput, ProgressLineOnATerminal)
{
    Captured captured;
    ConsoleOutput out(captured.stream(), true, false);
    out.progress(QStringLiteral("a"));
    out.progress(QStringLiteral("b"));
    out.status(QStringLiteral("next"));
    EXPECT_EQ(captured.text(), QByteArray("\r\x1b[Ka\r\x1b[Kb\r\x1b[Knext\n"));
}

// A title with control characters from the service cannot reach the terminal.
TEST(ConsoleOutput, ControlCharactersInTextsAreReplaced)
{
    Captured captured;
    ConsoleOutput out(captured.stream(), false, false);
    out.status(QStringLiteral("evil\x1b[2J\rtitle\n\u0085end\x7f"));
    EXPECT_EQ(QString::fromUtf8(captured.text()), QStringLiteral("evil?[2J?title??end?\n"));
}

// The bar shows bytes, percentage, rate and time left; unknown sizes and
// rates leave out what cannot be told.
TEST(ProgressMeter, FormatsTheLine)
{
    EXPECT_EQ(FormatProgress(QStringLiteral("a.mp3"), 512 * 1024, 1024 * 1024, 128 * 1024),
              QStringLiteral("a.mp3  [##########----------]  50%  512 KB/1.0 MB  128 KB/s  剩余 0:04"));
    EXPECT_EQ(FormatProgress(QStringLiteral("a.mp3"), 2048, -1, 0), QStringLiteral("a.mp3  2 KB"));
    EXPECT_EQ(FormatProgress(QStringLiteral("a.mp3"), 100, 100, 50),
              QStringLiteral("a.mp3  [####################] 100%  100 B/100 B  50 B/s"));
    // More bytes than announced never draw past the bar.
    EXPECT_TRUE(FormatProgress(QStringLiteral("a"), 300, 100, 0).contains(QStringLiteral("[####################] 100%")));
    EXPECT_EQ(FormatProgress(QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六"), 0, -1, 0),
              QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三…  0 B"));
}

struct MessageRow {
    QString text;
    DialogIcon icon;
    bool rejected;
    bool failed;
};

// Rejected input gives exit 2, other failures exit 1, notices neither.
TEST(CliMainView, MessagesDecideTheVerdict)
{
    // The other refusals are run through the program itself.
    const QList<MessageRow> rows = {
        {QStringLiteral("专辑地址输入有误"), DialogIcon::Critical, true, false},
        {QStringLiteral("Err:无效的过程调用或参数"), DialogIcon::Critical, false, true},
        {QStringLiteral("请先等待上一个操作完成"), DialogIcon::Information, false, false},
    };
    for (const MessageRow &row : rows) {
        Captured captured;
        ConsoleOutput out(captured.stream(), false, false);
        RunVerdict verdict;
        CliMainView view(out, verdict);
        view.showMessage(row.text, row.icon);
        EXPECT_EQ(verdict.rejected, row.rejected) << row.text.toStdString();
        EXPECT_EQ(verdict.workflowFailed, row.failed) << row.text.toStdString();
    }
}

// Status texts that say an album had nothing to download count as failures.
TEST(CliMainView, FailureStatusTexts)
{
    EXPECT_TRUE(ReportsFailure(QStringLiteral("没找到文件,下载《》失败!")));
    EXPECT_TRUE(ReportsFailure(QStringLiteral("没找到文件,下载《Some》失败!")));
    EXPECT_TRUE(ReportsFailure(QStringLiteral("抱歉,没找到专辑文件,下载失败!")));
    EXPECT_FALSE(ReportsFailure(QStringLiteral("《Some》下载完毕!")));
    EXPECT_FALSE(ReportsFailure(QStringLiteral("获取专辑列表失败,重试...")));
}

// Exit statuses: interrupted over rejected over failed over complete.
TEST(RunVerdict, ExitStatus)
{
    DownloadCounts clean{3, 2, 0};
    DownloadCounts someFailed{3, 2, 1};
    EXPECT_EQ(RunVerdict{}.exitStatus(clean), kExitComplete);
    EXPECT_EQ(RunVerdict{}.exitStatus(someFailed), kExitSomeFailed);
    EXPECT_EQ((RunVerdict{false, true, false}).exitStatus(clean), kExitSomeFailed);
    EXPECT_EQ((RunVerdict{true, false, false}).exitStatus(someFailed), kExitRejected);
    EXPECT_EQ((RunVerdict{true, true, true}).exitStatus(someFailed), kExitInterrupted);
    EXPECT_EQ(SummaryLine(someFailed), QStringLiteral("完成: 已下载 3 首, 已存在 2 首, 失败 1 首"));
}

} // namespace
} // namespace tavimo::cli
