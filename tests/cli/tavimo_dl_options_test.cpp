#include "download/part_source.h"
#include "support/tavimo_dl_runner.h"

#include <QDir>
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
    const RunResult result = run(
        {QStringLiteral("--json"), QStringLiteral("album"), albumAddress(AlbumCase::MissingFiles)});
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

} // namespace
} // namespace tavimo::cli::test
