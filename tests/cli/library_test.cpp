#include "support/tavimo_dl_runner.h"
#include "support/wait_until.h"
#include "tests/support/cookie_line.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;

int AudioRequests(const std::vector<emu::RequestRecord> &log)
{
    return int(std::count_if(log.cbegin(), log.cend(),
                             [](const emu::RequestRecord &r) { return r.host == emu::ServiceHost::Audio; }));
}

// The archive's lines for the album's first count tracks, and the album's
// own line once every track is there.
QStringList ArchiveLines(const emu::Album &album, size_t count)
{
    QStringList lines;
    for (size_t i = 0; i < count; ++i)
        lines.append(QStringLiteral("tavimo ") + QString::fromStdString(album.tracks.at(i).songId));
    if (count == album.tracks.size())
        lines.append(QStringLiteral("tavimo-album ") + QString::fromStdString(album.number));
    return lines;
}

// Each command's default template, spelled out with -o, places every track
// where the command puts it without one.
TEST_F(TavimoDlTest, DefaultTemplatesGiveEachCommandsOwnPaths)
{
    emulator.setLikedCount(20);
    const tavimo::test::TempRoot home;
    home.write(
        QStringLiteral("cookies.txt"),
        tavimo::test::CookieLine(emulator.hosts().radio, QByteArray::fromStdString(emu::Emulator::signInCookie())) +
            '\n');
    const QString album = QStringLiteral("{album}/{title}");
    const struct {
        QStringList command;
        QString defaultTemplate;
    } rows[] = {
        {{QStringLiteral("album"), albumAddress(AlbumCase::SpecialTitles)}, album},
        {{QStringLiteral("album"), QStringLiteral("--playlist"), albumAddress(AlbumCase::Plain)}, album},
        {{QStringLiteral("artist"), artistAddress(emu::ArtistCase::CleanedName)},
         QStringLiteral("歌手 - {artist}/{album}/{title}")},
        {{QStringLiteral("artist"), QStringLiteral("--name"), QStringLiteral("Tom")},
         QStringLiteral("歌手 - {artist}/{album}/{title}")},
        {{QStringLiteral("channel"), QString::number(emulator.catalogue().channels().at(5).id)},
         QStringLiteral("{channel}/{title}")},
        {{QStringLiteral("liked"), QStringLiteral("--cookies"), home.file(QStringLiteral("cookies.txt"))},
         QStringLiteral("TavimoFM.加心/{title}")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.command.join(u' ').toStdString());
        const tavimo::test::TempRoot workflows;
        const tavimo::test::TempRoot templated;
        emulator.resetChannels();
        run(row.command, workflows);
        emulator.resetChannels();
        run(QStringList{QStringLiteral("-o"), row.defaultTemplate} + row.command, templated);
        EXPECT_FALSE(workflows.allFiles().isEmpty());
        EXPECT_EQ(templated.allFiles(), workflows.allFiles());
    }
}

// Whether the process waits for a lock that another holds (/proc/locks
// lists such a wait with "->" and the waiter's process).
bool WaitsForLock(qint64 pid)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[1] == "->" && fields[5].toLongLong() == pid)
            return true;
    }
    return false;
}

// Another writer holding the archive's lock over a line it writes in two
// pieces is waited for: when the run reads the archive, and when it records
// a track. No line of either writer is split or lost.
TEST_F(TavimoDlTest, ArchiveWaitsForAnotherWritersLock)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const QString path = root.file(QStringLiteral("archive.txt"));
    root.write(QStringLiteral("archive.txt"), "tavimo 1\n");
    const int other = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(other, 0);
    QProcess process;
    const auto writeLineWhileWaitedFor = [&](const QByteArray &first, const QByteArray &rest) {
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        ASSERT_EQ(::write(other, first.constData(), size_t(first.size())), first.size());
        const bool waited = tavimo::test::WaitUntil(
            [&] { return WaitsForLock(process.processId()) || process.state() == QProcess::NotRunning; });
        EXPECT_TRUE(waited && WaitsForLock(process.processId()));
        ASSERT_EQ(::write(other, rest.constData(), size_t(rest.size())), rest.size());
        ASSERT_EQ(::flock(other, LOCK_UN), 0);
    };
    // The album page comes late, so the second line is begun after the run
    // read the archive and before it records its first track.
    emulator.setFault("/subject/", emu::Fault::of(emu::FaultKind::Delay, 2000));
    start(process,
          {QStringLiteral("--download-archive"), path, QStringLiteral("album"), albumAddress(AlbumCase::Plain)}, root);
    writeLineWhileWaitedFor("tavimo 12", "34\n");
    ASSERT_TRUE(emulator.waitForRequests(1));
    writeLineWhileWaitedFor("tavimo 56", "78\n");
    ::close(other);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(ResultOf(process).exitCode, 0);
    EXPECT_EQ(root.read(QStringLiteral("archive.txt")),
              (QStringList{QStringLiteral("tavimo 1"), QStringLiteral("tavimo 1234"), QStringLiteral("tavimo 5678")} +
               ArchiveLines(album, album.tracks.size()))
                      .join(u'\n')
                      .toUtf8() +
                  '\n');
}

// The archive takes an existing folder in, records each track once, and a
// rerun after the files were moved away asks for no track; --list and
// --json tell the archived tracks; a failed track is never recorded.
TEST_F(TavimoDlTest, ArchiveSkipsRecordedTracksWithoutARequest)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const QString archive = root.file(QStringLiteral("archive.txt"));
    const QStringList withArchive = {QStringLiteral("--download-archive"), archive, QStringLiteral("album"),
                                     albumAddress(AlbumCase::Plain)};
    ASSERT_EQ(run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)}).exitCode, 0);
    ASSERT_EQ(run(withArchive).exitCode, 0);
    ASSERT_EQ(run(withArchive).exitCode, 0);
    EXPECT_EQ(root.read(QStringLiteral("archive.txt")),
              (ArchiveLines(album, album.tracks.size()).join(u'\n') + u'\n').toUtf8());

    ASSERT_TRUE(QDir(root.file(QString::fromStdString(album.title))).removeRecursively());
    emulator.clearRequestLog();
    const RunResult rerun = run(QStringList{QStringLiteral("--json")} + withArchive);
    EXPECT_EQ(rerun.exitCode, 0);
    EXPECT_EQ(AudioRequests(emulator.requestLog()), 0);
    EXPECT_EQ(rerun.out.count(QStringLiteral("\"outcome\":\"archived\"")), qsizetype(album.tracks.size()));
    EXPECT_TRUE(
        rerun.err.endsWith(QStringLiteral("完成: 已下载 0 首, 已存在 5 首, 失败 0 首; 5 首见于下载记录, 未再请求\n")))
        << rerun.err.toStdString();
    const RunResult listed = run(QStringList{QStringLiteral("--list")} + withArchive);
    EXPECT_EQ(listed.out.count(QStringLiteral("\t已记录\n")), qsizetype(album.tracks.size()))
        << listed.out.toStdString();

    const emu::Album &missing = emulator.catalogue().album(AlbumCase::MissingFiles);
    const QString other = root.file(QStringLiteral("other.txt"));
    EXPECT_EQ(run({QStringLiteral("--download-archive"), other, QStringLiteral("album"),
                   albumAddress(AlbumCase::MissingFiles)})
                  .exitCode,
              1);
    EXPECT_EQ(root.read(QStringLiteral("other.txt")).count('\n'), qsizetype(missing.tracks.size() - 1));
}

// Damaged lines are passed over with one warning and the good ones still
// count; an archive that cannot be written refuses the run before any request.
TEST_F(TavimoDlTest, DamagedOrUnwritableArchive)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    root.write(QStringLiteral("a.txt"),
               "tavimo\nyoutube abc\ntavimo x1\n\xff\xfe\n" + ArchiveLines(album, 2).join(u'\n').toUtf8() + "\ntavi");
    const RunResult damaged = run({QStringLiteral("--download-archive"), root.file(QStringLiteral("a.txt")),
                                   QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(damaged.exitCode, 0);
    EXPECT_EQ(damaged.err.count(QStringLiteral("警告: 下载记录")), 1);
    EXPECT_TRUE(damaged.err.contains(QStringLiteral("中有 4 行无法识别 (第一处在第 1 行)")))
        << damaged.err.toStdString();
    EXPECT_TRUE(damaged.err.contains(QStringLiteral("已下载 3 首, 已存在 2 首"))) << damaged.err.toStdString();
    // The torn last line is ended before the first new one.
    EXPECT_TRUE(root.read(QStringLiteral("a.txt")).contains("\ntavi\ntavimo "))
        << root.read(QStringLiteral("a.txt")).toStdString();

    for (const QString &unwritable : {root.path(), root.file(QStringLiteral("no/such/folder/a.txt"))}) {
        emulator.clearRequestLog();
        const RunResult refused = run({QStringLiteral("--download-archive"), unwritable, QStringLiteral("album"),
                                       albumAddress(AlbumCase::Plain)});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.err.startsWith(QStringLiteral("错误: 无法写入下载记录 ") + unwritable))
            << refused.err.toStdString();
        EXPECT_TRUE(emulator.requestLog().empty());
    }
}

// --check-present: a page, a cut file and a whole file under final names;
// the broken ones are kept as ".broken" and fetched again, the whole one is
// skipped, and the summary and the JSON lines count them.
TEST_F(TavimoDlTest, CheckPresentReplacesBrokenFiles)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const QByteArray html = "<html><body>503</body></html>";
    const QByteArray cut = servedBytes(album.tracks.at(1).songId).chopped(100);
    root.write(trackFile(album, album.tracks.at(0)), html);
    root.write(trackFile(album, album.tracks.at(1)), cut);
    root.write(trackFile(album, album.tracks.at(2)), servedBytes(album.tracks.at(2).songId));
    const RunResult result = run({QStringLiteral("--check-present"), QStringLiteral("--json"), QStringLiteral("album"),
                                  albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.endsWith(
        QStringLiteral("已下载 4 首, 已存在 1 首, 失败 0 首; 2 个不完整的文件已改名为 .broken 并重新下载\n")))
        << result.err.toStdString();
    EXPECT_EQ(result.out.count(QStringLiteral("\"broken\":\"")), 2);
    for (const emu::Track &track : album.tracks)
        EXPECT_EQ(root.read(trackFile(album, track)), servedBytes(track.songId)) << track.title;
    EXPECT_EQ(root.read(trackFile(album, album.tracks.at(0)) + QStringLiteral(".broken")), html);
    EXPECT_EQ(root.read(trackFile(album, album.tracks.at(1)) + QStringLiteral(".broken")), cut);
}

// An output template places each track, makes its folders, drops an empty
// level, and the playlist beside the files lists what is on disk in the
// service's order, the failed track left out.
TEST_F(TavimoDlTest, OutputTemplateAndPlaylist)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::MissingFiles);
    const RunResult result = run({QStringLiteral("-o"), QStringLiteral("{channel}/{album}/{position:02} {title}"),
                                  QStringLiteral("--m3u"), QStringLiteral("album"),
                                  albumAddress(AlbumCase::MissingFiles)});
    EXPECT_EQ(result.exitCode, 1);
    const QString folder = QString::fromStdString(album.title) + u'/';
    QStringList expected;
    QByteArray playlist = "#EXTM3U\n";
    for (size_t i = 0; i < album.tracks.size(); ++i) {
        const QString name = QStringLiteral("%1 %2.mp3")
                                 .arg(i + 1, 2, 10, QLatin1Char('0'))
                                 .arg(QString::fromStdString(album.tracks[i].title));
        if (emulator.catalogue().songFiles(album.tracks[i].songId) == emu::SongFiles::Missing)
            continue;
        expected.append(folder + name);
        playlist += "#EXTINF:-1," + QByteArray::fromStdString(album.tracks[i].title) + "\n" + name.toUtf8() + "\n";
    }
    expected.append(folder + QString::fromStdString(album.title) + QStringLiteral(".m3u8"));
    expected.sort();
    EXPECT_EQ(root.allFiles(), expected);
    EXPECT_EQ(root.read(expected.filter(QStringLiteral(".m3u8")).first()), playlist);
}

// check: one line per file that is not a whole MP3, exit 1, no request;
// a whole folder gives 0.
TEST_F(TavimoDlTest, CheckListsBrokenFiles)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    ASSERT_EQ(run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)}).exitCode, 0);
    emulator.clearRequestLog();
    const RunResult whole = run({QStringLiteral("check")});
    EXPECT_EQ(whole.exitCode, 0);
    EXPECT_TRUE(whole.out.isEmpty());
    EXPECT_EQ(whole.err, QStringLiteral("检查了 5 个文件, 其中 0 个不完整\n"));

    const QString cut = root.file(trackFile(album, album.tracks.at(3)));
    QFile::resize(cut, QFileInfo(cut).size() - 7);
    const RunResult broken = run({QStringLiteral("check"), root.path()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.out.startsWith(cut + u'\t')) << broken.out.toStdString();
    EXPECT_EQ(broken.out.count(u'\n'), 1);
    EXPECT_TRUE(emulator.requestLog().empty());
}

} // namespace
} // namespace tavimo::cli::test
