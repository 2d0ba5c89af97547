#include "download/file_names.h"
#include "support/tavimo_dl_runner.h"

#include <QDir>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;
using emu::ArtistCase;

// Every track of the album ends up complete in the album folder; the run
// prints the workflow's texts and a clean summary, and ends with 0.
TEST_F(TavimoDlTest, AlbumDownloadsEveryTrack)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const RunResult result = run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString folder = QString::fromStdString(album.title) + u'/';
    for (const emu::Track &track : album.tracks) {
        const QString file = folder + CleanFileName(QString::fromStdString(track.title)) + QStringLiteral(".mp3");
        EXPECT_EQ(root.read(file), servedBytes(track.songId)) << file.toStdString();
    }
    EXPECT_EQ(root.allFiles().size(), static_cast<qsizetype>(album.tracks.size()));
    EXPECT_TRUE(result.err.contains(QStringLiteral("正在下载:  《晴天》 ...\n")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("《晴天 Sunny Day》下载完毕!\n")));
    EXPECT_TRUE(result.err.endsWith(QStringLiteral("完成: 已下载 5 首, 已存在 0 首, 失败 0 首\n"))) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    // Not a terminal: not one control character.
    EXPECT_FALSE(result.err.contains(u'\r') || result.err.contains(u'\x1b'));
}

// A second run finds every file present and changes none.
TEST_F(TavimoDlTest, AlbumRunAgainSkipsPresentFiles)
{
    ASSERT_EQ(run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)}).exitCode, 0);
    const RunResult again = run({QStringLiteral("--quiet"), QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(again.exitCode, 0);
    // Quiet: only the summary.
    EXPECT_EQ(again.err, QStringLiteral("完成: 已下载 0 首, 已存在 5 首, 失败 0 首\n"));
}

struct RejectedRow {
    QStringList arguments;
    QString message;
};

// Rejected input ends with 2 and the workflow's own message; nothing is written.
TEST_F(TavimoDlTest, RejectedInputExitsWith2)
{
    const QList<RejectedRow> rows = {
        {{"album", "https://example.com/subject/1/"}, QStringLiteral("错误: 专辑地址无法识别\n")},
        {{"artist", "http://example.com/musician/x/"}, QStringLiteral("错误: 歌手地址输入有误\n")},
        {{"artist", "999999"}, QStringLiteral("错误: 对应歌手不存在! 请再次检查输入.\n")},
        {{"artist", "--name", "nobody-by-this-name"}, QStringLiteral("错误: 找不到对应歌手\n")},
    };
    for (const RejectedRow &row : rows) {
        const RunResult result = run(row.arguments);
        EXPECT_EQ(result.exitCode, 2) << row.arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.err.contains(row.message)) << result.err.toStdString();
    }
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// --version prints the version of the build and runs nothing.
TEST_F(TavimoDlTest, VersionOfTheBuild)
{
    const RunResult result = run({QStringLiteral("--version")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QStringLiteral("tavimo-dl " TAVIMO_VERSION "\n"));
    EXPECT_TRUE(emulator.requestLog().empty());
}

// Unusable command lines end with 2 before anything is fetched.
TEST_F(TavimoDlTest, UnusableArgumentsExitWith2)
{
    for (const QStringList &arguments : QList<QStringList>{{"album"}, {"fetch", "x"}, {"album", "x", "--jobs", "0"}}) {
        const RunResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("错误: "))) << result.err.toStdString();
    }
    EXPECT_TRUE(emulator.requestLog().empty());
}

// A track without any file fails while the others are saved; a page without track rows is a
// failure, not a success; both end with 1.
TEST_F(TavimoDlTest, FailedTracksExitWith1)
{
    const RunResult missing = run({QStringLiteral("album"), albumAddress(AlbumCase::MissingFiles)});
    EXPECT_EQ(missing.exitCode, 1) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.endsWith(QStringLiteral("完成: 已下载 2 首, 已存在 0 首, 失败 1 首\n"))) << missing.err.toStdString();
    EXPECT_EQ(root.allFiles().size(), 2);
    // Each failed track says why on its own line, quiet or not.
    const QString why = QStringLiteral("》下载失败: 服务器回复 HTTP 404\n");
    EXPECT_EQ(missing.err.count(why), 1) << missing.err.toStdString();
    const RunResult quietly = run({QStringLiteral("--quiet"), QStringLiteral("album"), albumAddress(AlbumCase::MissingFiles)});
    EXPECT_EQ(quietly.err.count(why), 1) << quietly.err.toStdString();

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
                                  QStringLiteral("--name"), QStringLiteral("Moon Band")}, other);
    EXPECT_EQ(byName.exitCode, 0) << byName.err.toStdString();
    ASSERT_EQ(other.allFiles(), files);
    for (const QString &file : files)
        EXPECT_EQ(other.read(file), root.read(file)) << file.toStdString();
    EXPECT_EQ(byName.err.section(u'\n', -2), byPage.err.section(u'\n', -2));
}

} // namespace
} // namespace tavimo::cli::test
