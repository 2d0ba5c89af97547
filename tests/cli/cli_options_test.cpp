#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace tavimo::cli {
namespace {

CliOptions Parse(QStringList words)
{
    words.prepend(QStringLiteral("tavimo-dl"));
    return ParseCliOptions(words);
}

struct CommandRow {
    QStringList words;
    Command command;
    QString argument;
};

// Each subcommand form selects its workflow and takes its one argument.
TEST(CliOptions, SubcommandsSelectTheirWorkflow)
{
    const QList<CommandRow> rows = {
        {{"album", "http://music.tavimo.com/subject/1/"}, Command::Album, "http://music.tavimo.com/subject/1/"},
        {{"album", "--playlist", "http://x/subject/2/"}, Command::AlbumPlaylist, "http://x/subject/2/"},
        {{"artist", "100001"}, Command::ArtistPage, "100001"},
        {{"artist", "--name", "Moon Band"}, Command::ArtistName, "Moon Band"},
        {{"channels"}, Command::Channels, ""},
        {{"channel", "17"}, Command::Channel, "17"},
        {{"liked"}, Command::Liked, ""},
        {{"liked", "--cookies", "c.txt"}, Command::Liked, ""},
        {{"sync"}, Command::Sync, ""},
        {{"sync", "--full", "/music"}, Command::Sync, "/music"},
    };
    for (const CommandRow &row : rows) {
        const CliOptions options = Parse(row.words);
        EXPECT_TRUE(options.error.isEmpty())
            << row.words.join(' ').toStdString() << ": " << options.error.toStdString();
        EXPECT_EQ(options.command, row.command) << row.words.join(' ').toStdString();
        EXPECT_EQ(options.arguments.value(0), row.argument) << row.words.join(' ').toStdString();
    }
}

// The general options are read wherever they stand.
TEST(CliOptions, GeneralOptions)
{
    const CliOptions options = Parse(
        {"--root", "/tmp/x", "--jobs", "4", "liked", "--quiet", "--demo", "--cookies", "c.txt"});
    ASSERT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    EXPECT_EQ(options.root, "/tmp/x");
    EXPECT_EQ(options.jobs, 4);
    EXPECT_TRUE(options.quiet);
    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.cookiesFile, "c.txt");
    EXPECT_EQ(Parse({"channels"}).jobs, 1);
    EXPECT_TRUE(Parse({"sync"}).breakOnExisting);
    EXPECT_FALSE(Parse({"sync", "--full"}).breakOnExisting);
}

// Unusable command lines give no command and an error that says in Chinese what is wrong,
// naming the word at fault.
TEST(CliOptions, UnusableArgumentsAreRefused)
{
    const QList<QPair<QStringList, QString>> rows = {
        {{}, QStringLiteral("没有给出命令 (可用 --help 查看用法)")},
        {{"download"}, QStringLiteral("未知命令: download")},
        {{"album"}, QStringLiteral("命令 album 缺少参数")},
        {{"channel", "1", "2"}, QStringLiteral("多余的参数: 2")},
        {{"album", "url", "--playlist", "url2"}, QStringLiteral("多余的参数: url")},
        {{"artist"}, QStringLiteral("命令 artist 缺少参数")},
        {{"channel"}, QStringLiteral("命令 channel 缺少参数")},
        {{"channels", "extra"}, QStringLiteral("多余的参数: extra")},
        {{"liked", "extra"}, QStringLiteral("多余的参数: extra")},
        {{"album", "url", "--cookies", "c.txt"}, QStringLiteral("选项 --cookies 不适用于命令 album")},
        {{"channel", "1", "--name", "x"}, QStringLiteral("选项 --name 不适用于命令 channel")},
        {{"album", "--name", "x"}, QStringLiteral("命令 album 缺少参数")},
        {{"album", "url", "--jobs", "0"}, QStringLiteral("--jobs 的取值须是 1 到 16 之间的数")},
        {{"album", "url", "--jobs", "17"}, QStringLiteral("--jobs 的取值须是 1 到 16 之间的数")},
        {{"album", "url", "--jobs", "two"}, QStringLiteral("--jobs 的取值须是 1 到 16 之间的数")},
        {{"album", "url", "--retries", "-1"}, QStringLiteral("--retries 的取值须是 0 到 100 之间的数")},
        {{"album", "url", "--limit-rate", "5x"},
         QStringLiteral("--limit-rate 的取值须是正数, 可带 k, m 或 g, 如 500k")},
        {{"album", "url", "--limit-rate", "0"}, QStringLiteral("--limit-rate 的取值须是正数, 可带 k, m 或 g, 如 500k")},
        {{"channel", "1", "--list"}, QStringLiteral("命令 channel 要边下载边发现歌曲, 不能与 --list 一起使用")},
        {{"album", "url", "--bogus"}, QStringLiteral("未知选项: bogus")},
        {{"album", "url", "--root"}, QStringLiteral("选项缺少取值: --root")},
        {{"--demo=yes", "channels"}, QStringLiteral("选项不接受取值: --demo")},
        {{"sync", "a", "b"}, QStringLiteral("多余的参数: b")},
        {{"album", "url", "--full"}, QStringLiteral("选项 --full 不适用于命令 album")},
        {{"sync", "--tags"}, QStringLiteral("命令 sync 按每个来源记录的 -o, --m3u 和 --tags 放置文件, 不能另行指定")},
        {{"sync", "/a", "--root", "/b"}, QStringLiteral("命令 sync 的文件夹与 --root 只能给出一个")},
        {{"sync", "-a", "jobs.txt"}, QStringLiteral("命令 sync 不能与 --batch-file 一起使用")},
    };
    for (const auto &[words, message] : rows) {
        SCOPED_TRACE(words.join(' ').toStdString());
        const CliOptions options = Parse(words);
        EXPECT_EQ(options.command, Command::None);
        EXPECT_EQ(options.error, message);
    }
}

// Rates as curl and wget take them: a whole number of bytes, k, m or g times 1024 each.
TEST(CliOptions, RatesInBytesASecond)
{
    const QList<QPair<QString, qint64>> rows = {
        {QStringLiteral("2M"), 2 * 1024 * 1024},
        {QStringLiteral("500k"), 500 * 1024},
        {QStringLiteral("1g"), 1024 * 1024 * 1024},
        {QStringLiteral("4096"), 4096},
        {QStringLiteral("1.5M"), -1},
        {QStringLiteral("M"), -1},
        {QStringLiteral("-5k"), -1},
        {QStringLiteral("+5k"), -1},
        {QString(), -1},
    };
    for (const auto &[text, bytes] : rows)
        EXPECT_EQ(ParseRate(text), bytes) << text.toStdString();
}

} // namespace
} // namespace tavimo::cli
