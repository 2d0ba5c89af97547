#include "cli/config_file.h"
#include "cli/library_sources.h"
#include "download/m3u_playlist.h"
#include "support/cookie_line.h"
#include "support/tavimo_dl_runner.h"
#include "support/wait_until.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;
using tavimo::test::TempRoot;

// How many requests of the log asked for a target starting with prefix.
int Requests(const std::vector<emu::RequestRecord> &log, const std::string &prefix)
{
    return int(std::count_if(log.cbegin(), log.cend(),
                             [&prefix](const emu::RequestRecord &r) { return r.target.starts_with(prefix); }));
}

class SyncTest : public TavimoDlTest {
protected:
    SyncTest()
    {
        emulator.setMp3Size(16 * 1024);
        emulator.setLikedCount(40);
        cookies.write(
            QStringLiteral("cookies.txt"),
            tavimo::test::CookieLine(emulator.hosts().radio, QByteArray::fromStdString(emu::Emulator::signInCookie())) +
                '\n');
    }
    QStringList liked() const
    {
        return {QStringLiteral("liked"), QStringLiteral("--cookies"), cookies.file(QStringLiteral("cookies.txt"))};
    }
    QByteArray sources() const { return root.read(QStringLiteral(".tavimo/sources")); }

    TempRoot cookies;
};

// Each downloading run records its source once, with the options that shape
// its files and the cookies file's absolute path; runs appending at once
// lose no line and write none twice; refused, listing and --no-record runs
// are left out.
TEST_F(SyncTest, SourcesAreRecordedOnce)
{
    const QString plain = albumAddress(AlbumCase::Plain);
    QProcess runs[3];
    const QStringList arguments[] = {{QStringLiteral("album"), plain},
                                     {QStringLiteral("album"), plain},
                                     {QStringLiteral("--tags"), QStringLiteral("-o"),
                                      QStringLiteral("{album}/{position:02} {title}"), QStringLiteral("album"),
                                      albumAddress(AlbumCase::EqualTitles)}};
    for (int i = 0; i < 3; ++i)
        start(runs[i], arguments[i], root);
    for (QProcess &process : runs)
        ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(run({QStringLiteral("album"), QStringLiteral("http://nowhere/")}).exitCode, 2);
    EXPECT_EQ(
        run({QStringLiteral("--no-record"), QStringLiteral("album"), albumAddress(AlbumCase::SpecialTitles)}).exitCode,
        0);
    EXPECT_EQ(run({QStringLiteral("--list"), QStringLiteral("album"), albumAddress(AlbumCase::SpecialTitles)}).exitCode,
              0);
    ASSERT_EQ(run(liked()).exitCode, 0);

    QStringList lines = QString::fromUtf8(sources()).split(u'\n', Qt::SkipEmptyParts);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("album ") + plain,
                                  QStringLiteral("album ") + albumAddress(AlbumCase::EqualTitles) +
                                      QStringLiteral(" -o \"{album}/{position:02} {title}\" --tags"),
                                  QStringLiteral("liked --cookies ") + cookies.file(QStringLiteral("cookies.txt"))}));
}

// A damaged sources file ends sync before any request, names the line, and
// is left as it was.
TEST_F(SyncTest, DamagedSourcesFileNamesItsLine)
{
    const QByteArray damaged = "# mine\nalbum " + albumAddress(AlbumCase::Plain).toUtf8() + "\nartist\n";
    root.write(QStringLiteral(".tavimo/sources"), damaged);
    emulator.clearRequestLog();
    const RunResult refused = run({QStringLiteral("sync")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(
        QStringLiteral("来源记录 %1 第 3 行: 命令 artist 缺少参数").arg(root.file(QStringLiteral(".tavimo/sources")))))
        << refused.err.toStdString();
    EXPECT_EQ(sources(), damaged);
    EXPECT_TRUE(emulator.requestLog().empty());
    const TempRoot empty;
    EXPECT_EQ(run({QStringLiteral("sync"), empty.path()}).exitCode, 2);
}

// After a new liked track, sync asks for two liked pages and that one track;
// --list tells what it would fetch, --full reads every page; a source that
// fails fails alone with its cause.
TEST_F(SyncTest, SyncAsksOnlyForWhatIsNew)
{
    ASSERT_EQ(run(QStringList{QStringLiteral("--m3u"), QStringLiteral("-o"), QStringLiteral("红心/{title}")} + liked())
                  .exitCode,
              0);
    ASSERT_EQ(run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)}).exitCode, 0);
    emulator.setLikedLately(2);
    const RunResult listed = run({QStringLiteral("--json"), QStringLiteral("--list"), QStringLiteral("sync")});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out.count(QStringLiteral("\"type\":\"source\"")), 2) << listed.out.toStdString();
    EXPECT_TRUE(listed.out.contains(QStringLiteral("\"pending\":2"))) << listed.out.toStdString();

    emulator.setFault("/subject/", emu::Fault::status(500));
    emulator.clearRequestLog();
    const RunResult synced = run({QStringLiteral("--json"), QStringLiteral("sync")});
    EXPECT_EQ(synced.exitCode, 1);
    const auto log = emulator.requestLog();
    EXPECT_EQ(Requests(log, "/mine"), 2);
    EXPECT_EQ(Requests(log, "/view/song/"), 2);
    EXPECT_TRUE(root.allFiles().contains(QStringLiteral("红心/新近红心 2.mp3")));
    // The playlist keeps the tracks of the pages the sync did not read.
    EXPECT_EQ(root.read(QStringLiteral("红心/TavimoFM.加心.m3u8")).count("#EXTINF"), 42);
    EXPECT_TRUE(synced.out.contains(
        QRegularExpression(QStringLiteral("\"argument\":\"[^\"]*subject[^\"]*\".*\"end\":\"failed\".*\"status\":500"))))
        << synced.out.toStdString();
    EXPECT_TRUE(synced.err.contains(QStringLiteral("500"))) << synced.err.toStdString();
    const RunResult told = run({QStringLiteral("sync")});
    EXPECT_TRUE(
        told.err.contains(QStringLiteral("来源 album %1: 失败 (无法获取 %1: ").arg(albumAddress(AlbumCase::Plain))))
        << told.err.toStdString();

    emulator.clearFaults();
    emulator.clearRequestLog();
    EXPECT_EQ(run({QStringLiteral("sync"), QStringLiteral("--full")}).exitCode, 0);
    EXPECT_EQ(Requests(emulator.requestLog(), "/mine"), 4); // 42 tracks: three pages and an empty fourth
    EXPECT_EQ(Requests(emulator.requestLog(), "/view/song/"), 0);
}

// A whole album is recorded in the archive and its page is not read again;
// an album missing a track is read and completed.
TEST_F(SyncTest, WholeAlbumsAreSkippedByPage)
{
    const emu::Album &special = emulator.catalogue().album(AlbumCase::SpecialTitles);
    const std::string missing = "/view/song/small/p" + special.tracks.back().songId;
    emulator.setFault(missing, emu::Fault::status(404));
    EXPECT_EQ(run({QStringLiteral("--retries"), QStringLiteral("0"), QStringLiteral("artist"),
                   artistAddress(emu::ArtistCase::Plain)})
                  .exitCode,
              1);
    emulator.clearFaults();
    emulator.clearRequestLog();
    EXPECT_EQ(run({QStringLiteral("sync")}).exitCode, 0);
    const auto log = emulator.requestLog();
    EXPECT_EQ(Requests(log, "/subject/"), 1);
    EXPECT_EQ(Requests(log, "/musician/"), 2); // the artist and the one listing page short of albums
    EXPECT_EQ(Requests(log, "/view/song/"), 1);
    EXPECT_EQ(Requests(log, missing), 1);
    EXPECT_EQ(root.read(QStringLiteral(".tavimo/archive")).count("tavimo-album "), 3);
}

// Ctrl-C in the middle of the first run, then of a sync, each at the first
// track of the third liked page: the next sync reads the list whole again
// and completes it, and neither the archive nor the sources file holds a
// torn line.
TEST_F(SyncTest, InterruptedRunsCompleteOnTheNextSync)
{
    const std::string slow = "/view/song/small/p" + emulator.catalogue().liked().at(30).songId;
    emulator.setFault(slow, emu::Fault::of(emu::FaultKind::Bandwidth, 4 * 1024));
    for (const QStringList &command : {liked(), QStringList{QStringLiteral("sync")}}) {
        SCOPED_TRACE(command.join(u' ').toStdString());
        emulator.clearRequestLog();
        QProcess process;
        start(process, command, root);
        ASSERT_TRUE(tavimo::test::WaitUntil([&] { return Requests(emulator.requestLog(), slow) > 0; }));
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 130);
    }
    const QByteArray recorded = sources();
    emulator.clearFaults();
    EXPECT_EQ(run({QStringLiteral("sync")}).exitCode, 0);
    EXPECT_EQ(root.allFiles().filter(QRegularExpression(QStringLiteral("\\.mp3$"))).size(), 40);
    EXPECT_EQ(sources(), recorded);
    const QRegularExpression line(QStringLiteral("^tavimo(-album)? \\d+$"));
    for (const QString &text :
         QString::fromUtf8(root.read(QStringLiteral(".tavimo/archive"))).split(u'\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.match(text).hasMatch()) << text.toStdString();
}

// A playlist read back: paths beside it made absolute, titles from the line
// before; what is not a path line is passed over.
TEST(M3uPlaylist, ReadBackWhateverItHolds)
{
    const TempRoot folder;
    const QString path = folder.file(QStringLiteral("p.m3u8"));
    const struct {
        QByteArray text;
        QList<PlaylistEntry> entries;
    } rows[] = {
        {"", {}},
        {"#EXTM3U\n#EXTINF:-1,", {}},
        {"#EXTM3U\r\n#EXTINF:-1,A, b\r\na.mp3\r\n\nsub/../b.mp3",
         {{folder.file("a.mp3"), "A, b"}, {folder.file("b.mp3"), ""}}},
        {"#\xff\xfe\n../up.mp3\n", {{QFileInfo(folder.path()).path() + "/up.mp3", ""}}},
    };
    for (const auto &row : rows) {
        folder.write(QStringLiteral("p.m3u8"), row.text);
        const QList<PlaylistEntry> entries = ReadM3uPlaylist(path);
        ASSERT_EQ(entries.size(), row.entries.size()) << row.text.toStdString();
        for (qsizetype i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries.at(i).path, row.entries.at(i).path);
            EXPECT_EQ(entries.at(i).title, row.entries.at(i).title);
        }
    }
    EXPECT_TRUE(ReadM3uPlaylist(folder.file(QStringLiteral("none.m3u8"))).isEmpty());
}

// A source's line reads back as the same job, whatever its words hold.
TEST(SourceLines, ReadBackAsTheSameJob)
{
    const CliJob jobs[] = {
        {Command::ArtistName,
         QStringLiteral("Tom \"T\" & Jerry"),
         {},
         {QStringLiteral("{artist}/{title}"), true, true}},
        {Command::AlbumPlaylist, QStringLiteral("http://music.tavimo.com/subject/1/"), {}, {}},
        {Command::Liked,
         {},
         QStringLiteral("/home/a b/cookies.txt"),
         {QStringLiteral("{position:02} {title}"), false, false}},
        {Command::Channel, QStringLiteral("153"), {}, {{}, true, false}},
    };
    for (const CliJob &job : jobs) {
        QString error;
        const std::optional<QList<CliJob>> read = ParseJobLine(LineWords(SourceLine(job)), error, JobLine::Source);
        EXPECT_EQ(read, std::optional(QList<CliJob>{job})) << SourceLine(job).toStdString() << error.toStdString();
    }
}

} // namespace
} // namespace tavimo::cli::test
