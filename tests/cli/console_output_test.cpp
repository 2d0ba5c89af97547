#include "cli/cli_main_view.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "cli/progress_meter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

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

// Without a terminal: one plain line per text, marks on messages, no progress
// and no control character at all; quiet keeps only errors and the summary.
// On a terminal the progress line is rewritten in place and erased before the
// next ordinary line. A title with control characters from the service cannot
// reach the terminal. In the main view's place, refusals and other critical
// boxes are errors, other boxes notices.
TEST(ConsoleOutput, WritesWhatTheSettingsLetThrough)
{
    const struct {
        const char *name;
        bool terminal, quiet;
        std::function<void(ConsoleOutput &)> say;
        QByteArray expected;
    } rows[] = {
        {"plain", false, false, SayEverything,
         "正在下载:  《晴天》 ...\n提示: 请先等待上一个操作完成\n错误: 专辑地址无法识别\nsummary\n"},
        {"quiet terminal", true, true, SayEverything, "错误: 专辑地址无法识别\nsummary\n"},
        {"progress on a terminal", true, false,
         [](ConsoleOutput &out) {
             out.progress(QStringLiteral("a"));
             out.progress(QStringLiteral("b"));
             out.status(QStringLiteral("next"));
         },
         "\r\x1b[Ka\r\x1b[Kb\r\x1b[Knext\n"},
        {"control characters", false, false,
         [](ConsoleOutput &out) { out.status(QStringLiteral("evil\x1b[2J\rtitle\n\u0085end\x7f")); },
         "evil?[2J?title??end?\n"},
        {"main view, quiet", false, true,
         [](ConsoleOutput &out) {
             CliMainView view(out);
             QCoro::waitFor(view.showMessage(QStringLiteral("专辑地址输入有误"), MessageKind::Critical));
             QCoro::waitFor(view.showMessage(QStringLiteral("请先等待上一个操作完成"), MessageKind::Information));
             view.setStatus(QStringLiteral("正在下载"));
         },
         "错误: 专辑地址输入有误\n"},
    };
    for (const auto &row : rows) {
        Captured captured;
        ConsoleOutput out(captured.stream(), row.terminal, row.quiet);
        row.say(out);
        EXPECT_EQ(QString::fromUtf8(captured.text()), QString::fromUtf8(row.expected)) << row.name;
    }
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
    EXPECT_TRUE(
        FormatProgress(QStringLiteral("a"), 300, 100, 0).contains(QStringLiteral("[####################] 100%")));
    EXPECT_EQ(FormatProgress(QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六"), 0, -1, 0),
              QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三…  0 B"));
}

struct ExitRow {
    RunEnd end;
    int failedTracks;
    bool interrupted;
    int status;
};

// Exit statuses: interrupted over rejected over anything missing over complete.
TEST(ExitStatus, FollowsTheResult)
{
    const QList<ExitRow> rows = {
        {RunEnd::Done, 0, false, kExitComplete},           {RunEnd::Done, 1, false, kExitSomeFailed},
        {RunEnd::NothingFound, 0, false, kExitSomeFailed}, {RunEnd::Failed, 0, false, kExitSomeFailed},
        {RunEnd::Rejected, 0, false, kExitRejected},       {RunEnd::Stopped, 0, false, kExitInterrupted},
        {RunEnd::Rejected, 1, true, kExitInterrupted},
    };
    for (const ExitRow &row : rows) {
        RunResult result;
        result.end = row.end;
        result.counts.failed = row.failedTracks;
        EXPECT_EQ(ExitStatus(result, row.interrupted), row.status) << int(row.end) << ' ' << row.failedTracks;
    }
    EXPECT_EQ(SummaryLine(DownloadCounts{3, 2, 1}), QStringLiteral("完成: 已下载 3 首, 已存在 2 首, 失败 1 首"));
}

} // namespace
} // namespace tavimo::cli
