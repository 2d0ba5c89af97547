#include "download/part_source.h"
#include "support/tavimo_dl_runner.h"
#include "support/wait_until.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <csignal>
#include <sys/resource.h>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;

QList<QJsonObject> JsonLines(const QString &out)
{
    QList<QJsonObject> objects;
    for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts))
        objects.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return objects;
}

// --list shows every track with its file name and whether it is there,
// fetches no track and makes no folder; after a download all are there.
TEST_F(TavimoDlTest, ListShowsTracksWithoutDownloading)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const RunResult before = run({QStringLiteral("--list"), QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(before.exitCode, 0) << before.err.toStdString();
    const QStringList lines = before.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(album.tracks.size()));
    EXPECT_EQ(lines.front(), QString::fromStdString(album.tracks.front().title) + u'\t' +
                                 QString::fromStdString(album.tracks.front().title) + QStringLiteral(".mp3\t待下载"));
    EXPECT_TRUE(before.err.endsWith(QStringLiteral("共 5 首, 已存在 0 首\n"))) << before.err.toStdString();
    EXPECT_TRUE(QDir(root.path()).isEmpty());
    EXPECT_EQ(requestsTo("/view/"), 0);

    ASSERT_EQ(run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)}).exitCode, 0);
    const RunResult after = run({QStringLiteral("--list"), QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(after.out.count(QStringLiteral("\t已存在\n")), qsizetype(album.tracks.size()));
}

// --json: one object per track with its outcome and bytes on disk, then the
// summary; the human text stays on standard error.
TEST_F(TavimoDlTest, JsonLinesForTracksAndSummary)
{
    const RunResult result = run({QStringLiteral("--json"), QStringLiteral("album"), albumAddress(AlbumCase::MissingFiles)});
    EXPECT_EQ(result.exitCode, 1);
    const QList<QJsonObject> objects = JsonLines(result.out);
    ASSERT_EQ(objects.size(), 4);
    int saved = 0;
    for (const QJsonObject &track : objects.mid(0, 3)) {
        EXPECT_EQ(track.value(QStringLiteral("type")).toString(), QStringLiteral("track"));
        const QString path = track.value(QStringLiteral("path")).toString();
        const QString outcome = track.value(QStringLiteral("outcome")).toString();
        if (outcome == QStringLiteral("saved")) {
            ++saved;
            EXPECT_EQ(track.value(QStringLiteral("bytes")).toInteger(), QFileInfo(path).size());
            EXPECT_TRUE(track.value(QStringLiteral("reason")).toString().isEmpty());
        } else {
            EXPECT_EQ(outcome, QStringLiteral("failed"));
            EXPECT_EQ(track.value(QStringLiteral("reason")).toString(), QStringLiteral("服务器回复 HTTP 404"));
            EXPECT_FALSE(QFileInfo::exists(path));
        }
        EXPECT_TRUE(track.value(QStringLiteral("address")).toString().startsWith(QStringLiteral("http://")));
    }
    EXPECT_EQ(saved, 2);
    const QJsonObject summary = objects.last();
    EXPECT_EQ(summary.value(QStringLiteral("type")).toString(), QStringLiteral("summary"));
    EXPECT_EQ(summary.value(QStringLiteral("saved")).toInt(), 2);
    EXPECT_EQ(summary.value(QStringLiteral("failed")).toInt(), 1);
    EXPECT_EQ(summary.value(QStringLiteral("exit")).toInt(), 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("完成: 已下载 2 首")));
}

// A file system that refuses to write ends the run at once with 1: no file
// under its final name, no kept bytes without their source.
TEST_F(TavimoDlTest, RefusedWriteEndsTheRunAtOnce)
{
    emulator.setMp3Size(64 * 1024);
    QProcess limited;
    limited.setChildProcessModifier([] {
        // Writes past 16 KB fail (EFBIG) instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{16 * 1024, 16 * 1024};
        setrlimit(RLIMIT_FSIZE, &small);
    });
    start(limited, {QStringLiteral("album"), albumAddress(AlbumCase::Plain)}, root);
    ASSERT_TRUE(limited.waitForFinished(60000));
    const RunResult stopped = ResultOf(limited);
    EXPECT_EQ(stopped.exitCode, 1) << stopped.err.toStdString();
    EXPECT_TRUE(stopped.err.contains(QStringLiteral("下载已停止"))) << stopped.err.toStdString();
    EXPECT_EQ(requestsTo("/view/"), 1);
    for (const QString &file : root.allFiles()) {
        EXPECT_TRUE(file.endsWith(QStringLiteral(".part"))) << file.toStdString();
        EXPECT_FALSE(PartSource(root.file(file)).isEmpty()) << file.toStdString();
    }

    // Once it writes again, a rerun completes the album, byte for byte, also
    // when a rate limit pauses its transfers many times.
    const RunResult rerun = run({QStringLiteral("--limit-rate"), QStringLiteral("256k"), QStringLiteral("--jobs"),
                                 QStringLiteral("5"), QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    for (const emu::Track &track : album.tracks)
        EXPECT_EQ(root.read(trackFile(album, track)), servedBytes(track.songId));
}

// --tags: each file of the album carries its title, album and position.
TEST_F(TavimoDlTest, TagsFromTheServicesMetadata)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    ASSERT_EQ(run({QStringLiteral("--tags"), QStringLiteral("album"), albumAddress(AlbumCase::Plain)}).exitCode, 0);
    unsigned position = 0;
    for (const emu::Track &track : album.tracks) {
        const QString path = root.file(trackFile(album, track));
        TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
        ASSERT_NE(file.ID3v2Tag(), nullptr) << track.title;
        EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 4u);
        EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(true), track.title);
        EXPECT_EQ(file.ID3v2Tag()->album().to8Bit(true), album.title);
        EXPECT_EQ(file.ID3v2Tag()->track(), ++position);
    }
}

// Ctrl-C ends the run at once with exit 130, in a retry's pause as in the
// middle of four transfers: whatever is under a final name is whole, the
// summary counts every track that ended, and the same command again
// completes the album byte for byte.
TEST_F(TavimoDlTest, InterruptEndsAtOnceAndTheRerunCompletes)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const std::string firstTrack = "/view/song/small/p" + album.tracks.front().songId;
    const QStringList command{QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)};
    emulator.setMp3Size(256 * 1024);
    const auto partsStarted = [](const tavimo::test::TempRoot &folder) {
        int started = 0;
        for (const QString &file : folder.allFiles())
            started += file.endsWith(QStringLiteral(".part")) && QFileInfo(folder.file(file)).size() > 0;
        return started;
    };
    const struct {
        const char *name;
        QStringList options;
        std::function<void()> arrange;
        std::function<bool(const tavimo::test::TempRoot &)> reached;
    } rows[] = {
        {"in a retry's pause",
         {},
         [&] {
             emulator.setFault(firstTrack, emu::Fault::failFirst(1));
             environment[QStringLiteral("TAVIMO_PAUSE_MS")] = QStringLiteral("30000");
         },
         [&](const tavimo::test::TempRoot &) { return requestsTo(firstTrack) >= 1; }},
        {"during four transfers",
         {QStringLiteral("--jobs"), QStringLiteral("4")},
         [&] { emulator.setFault("/view/", emu::Fault::of(emu::FaultKind::Bandwidth, 32 * 1024)); },
         [&](const tavimo::test::TempRoot &folder) { return partsStarted(folder) >= 4; }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        tavimo::test::TempRoot folder;
        emulator.clearRequestLog();
        row.arrange();
        QProcess process;
        // The archive and the playlist go outside the album's folder.
        const tavimo::test::TempRoot library;
        const QStringList keep{QStringLiteral("--m3u"), QStringLiteral("--download-archive"),
                               library.file(QStringLiteral("archive.txt")), QStringLiteral("-o"), QStringLiteral("a/{title}")};
        start(process, row.options + keep + QStringList{QStringLiteral("--json")} + command, folder);
        ASSERT_TRUE(tavimo::test::WaitUntil([&] { return row.reached(folder); }, 20000));
        QElapsedTimer clock;
        clock.start();
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_LT(clock.elapsed(), 1000);
        const RunResult stopped = ResultOf(process);
        EXPECT_EQ(stopped.exitCode, 130) << stopped.err.toStdString();
        const QList<QJsonObject> lines = JsonLines(stopped.out);
        ASSERT_FALSE(lines.isEmpty());
        const QJsonObject summary = lines.last();
        EXPECT_EQ(summary.value(QStringLiteral("type")).toString(), QStringLiteral("summary"));
        EXPECT_EQ(summary.value(QStringLiteral("saved")).toInt() + summary.value(QStringLiteral("present")).toInt() +
                      summary.value(QStringLiteral("failed")).toInt(),
                  lines.size() - 1);
        // Only the whole files are recorded and in the playlist.
        int whole = 0;
        for (const emu::Track &track : album.tracks) {
            const QString name = QString::fromStdString(track.title) + QStringLiteral(".mp3");
            if (QFileInfo::exists(folder.file(QStringLiteral("a/") + name))) {
                EXPECT_EQ(folder.read(QStringLiteral("a/") + name), servedBytes(track.songId)) << track.title;
                ++whole;
            }
        }
        EXPECT_EQ(library.read(QStringLiteral("archive.txt")).count('\n'), whole);
        const QString playlist = QStringLiteral("a/") + QString::fromStdString(album.title) + QStringLiteral(".m3u8");
        EXPECT_EQ(folder.read(playlist).count("#EXTINF:-1,"), whole);
        EXPECT_EQ(QFileInfo::exists(folder.file(playlist)), whole > 0);
        ASSERT_TRUE(QDir(folder.file(QStringLiteral("a"))).removeRecursively());

        emulator.clearFaults();
        environment.clear();
        const RunResult rerun = run(row.options + command, folder);
        EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
        for (const emu::Track &track : album.tracks)
            EXPECT_EQ(folder.read(trackFile(album, track)), servedBytes(track.songId)) << track.title;
        EXPECT_EQ(folder.allFiles().size(), qsizetype(album.tracks.size()));
    }
}

} // namespace
} // namespace tavimo::cli::test
