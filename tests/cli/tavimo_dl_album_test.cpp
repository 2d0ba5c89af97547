#include "support/tavimo_dl_runner.h"

#include <QDir>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;
using emu::ArtistCase;

// An album run prints the workflow's texts and a clean summary, and ends
// with 0.
TEST_F(TavimoDlTest, AlbumDownloadsEveryTrack)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const RunResult result = run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(root.allFiles().size(), static_cast<qsizetype>(album.tracks.size()));
    EXPECT_TRUE(result.err.contains(QStringLiteral("正在下载:  《晴天》 ...\n")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("《晴天 Sunny Day》下载完毕!\n")));
    EXPECT_TRUE(result.err.endsWith(QStringLiteral("完成: 已下载 5 首, 已存在 0 首, 失败 0 首\n")))
        << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    // Not a terminal: not one control character.
    EXPECT_FALSE(result.err.contains(u'\r') || result.err.contains(u'\x1b'));
}

// --version prints the version of the build and runs nothing.
TEST_F(TavimoDlTest, VersionOfTheBuild)
{
    const RunResult result = run({QStringLiteral("--version")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QStringLiteral("tavimo-dl " TAVIMO_VERSION "\n"));
    EXPECT_TRUE(emulator.requestLog().empty());
}

struct RefusedRow {
    QStringList arguments;
    QString message;
    bool fetches = false; // whether deciding needs the service
};

// Unusable command lines end with 2 before anything is fetched; what the
// service does not know ends with 1, as the service said it. Each says why,
// and nothing is written.
TEST_F(TavimoDlTest, RefusedInputExitsWith2)
{
    const QList<RefusedRow> rows = {
        {{"album", "x", "--jobs", "0"}, QStringLiteral("错误: --jobs 的取值须是 1 到 16 之间的数")},
        {{"album", "https://example.com/subject/1/"}, QStringLiteral("错误: 专辑地址无法识别\n")},
        {{"artist", "999999"}, QStringLiteral("/musician/999999/: 服务器回复 HTTP 404\n"), true},
        {{"channel", "999999"}, QStringLiteral("错误: 没有标识为 999999 的热门兆赫\n"), true},
    };
    for (const RefusedRow &row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        emulator.clearRequestLog();
        const RunResult result = run(row.arguments);
        EXPECT_EQ(result.exitCode, row.fetches ? 1 : 2);
        EXPECT_TRUE(result.err.contains(row.message)) << result.err.toStdString();
        EXPECT_EQ(emulator.requestLog().empty(), !row.fetches);
    }
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// A track without any file fails while the others are saved, and says why
// on its own line even when quiet; a page without track rows is a failure,
// not a success; both end with 1.
TEST_F(TavimoDlTest, FailedTracksExitWith1)
{
    const RunResult missing = run(
        {QStringLiteral("--quiet"), QStringLiteral("album"), albumAddress(AlbumCase::MissingFiles)});
    EXPECT_EQ(missing.exitCode, 1) << missing.err.toStdString();
    EXPECT_EQ(missing.err.count(QStringLiteral("》下载失败: 服务器回复 HTTP 404\n")), 1) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.endsWith(QStringLiteral("完成: 已下载 2 首, 已存在 0 首, 失败 1 首\n")))
        << missing.err.toStdString();

    const RunResult noRows = run({QStringLiteral("album"), albumAddress(AlbumCase::NoTrackRows)});
    EXPECT_EQ(noRows.exitCode, 1);
    EXPECT_TRUE(noRows.err.contains(QStringLiteral("错误: 没找到文件,下载《"))) << noRows.err.toStdString();
}

// The artist by page with one job and by name with four: the same files with the same bytes and
// the same counts, the second track of an equal title "already present" in both.
TEST_F(TavimoDlTest, ArtistByPageAndByNameInParallel)
{
    const RunResult byPage = run({QStringLiteral("artist"), artistAddress(ArtistCase::Plain)});
    ASSERT_EQ(byPage.exitCode, 0) << byPage.err.toStdString();
    EXPECT_TRUE(byPage.err.contains(QStringLiteral("歌手[晓月乐队 Moon Band]下载完毕! \n")));
    EXPECT_TRUE(QDir(root.file(QStringLiteral("歌手 - 晓月乐队 Moon Band"))).exists());
    const QStringList files = root.allFiles();
    ASSERT_FALSE(files.isEmpty());

    tavimo::test::TempRoot other;
    const RunResult byName = run({QStringLiteral("--jobs"), QStringLiteral("4"), QStringLiteral("artist"),
                                  QStringLiteral("--name"), QStringLiteral("Moon Band")},
                                 other);
    EXPECT_EQ(byName.exitCode, 0) << byName.err.toStdString();
    ASSERT_EQ(other.allFiles(), files);
    for (const QString &file : files)
        EXPECT_EQ(other.read(file), root.read(file)) << file.toStdString();
    EXPECT_EQ(byName.err.section(u'\n', -2), byPage.err.section(u'\n', -2));
}

} // namespace
} // namespace tavimo::cli::test
