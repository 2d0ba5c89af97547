#include "download/part_source.h"
#include "support/tavimo_dl_runner.h"
#include "support/wait_until.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>

namespace tavimo::cli::test {
namespace {

using tavimo::test::TempRoot;
using tavimo::test::WaitUntil;

// A stopped run ends this soon, whatever it was doing: well under the pauses
// and transfers it leaves.
constexpr int kPromptEndMs = 3000;

// The ".part" files beneath a folder that hold bytes, by the final name, with their sizes.
QMap<QString, qint64> KeptParts(const TempRoot &folder)
{
    QMap<QString, qint64> kept;
    for (const QString &file : folder.allFiles()) {
        const qint64 size = QFileInfo(folder.file(file)).size();
        if (file.endsWith(QStringLiteral(".part")) && size > 0)
            kept.insert(file.chopped(5), size);
    }
    return kept;
}

QStringList FinalTracks(const TempRoot &folder)
{
    return folder.allFiles().filter(QRegularExpression(QStringLiteral("\\.mp3$")));
}

void Signal(QProcess &process, int number)
{
    if (process.processId() > 0)
        ::kill(static_cast<pid_t>(process.processId()), number);
}

// Ctrl-C, SIGTERM or Ctrl-C twice in the middle of four transfers ends the
// run at once with 130: the files under their final names are whole,
// recorded and listed; the others keep their bytes as ".part" with their
// source. The same command again asks only for the rest of each kept file,
// so no byte is fetched twice, and leaves the album whole with its archive
// and playlist.
TEST_F(TavimoDlTest, InterruptedTransfersResumeWhereTheyStopped)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Twenty);
    const qint64 size = 256 * 1024;
    emulator.setMp3Size(size);
    const std::vector<int> stops[] = {{SIGINT}, {SIGTERM}, {SIGINT, SIGINT}};
    for (const std::vector<int> &sent : stops) {
        SCOPED_TRACE(::testing::PrintToString(sent));
        const TempRoot folder;
        emulator.clearRequestLog();
        emulator.setFault("/view/", emu::Fault::of(emu::FaultKind::Bandwidth, 128 * 1024));
        const QStringList command{QStringLiteral("--jobs"),
                                  QStringLiteral("4"),
                                  QStringLiteral("--m3u"),
                                  QStringLiteral("--download-archive"),
                                  folder.file(QStringLiteral("archive.txt")),
                                  QStringLiteral("album"),
                                  albumAddress(emu::AlbumCase::Twenty)};
        QProcess process;
        start(process, command, folder);
        // Whole files are there, and at least two more are far from whole
        // when the signal comes.
        const auto midway = [&] {
            const QList<qint64> sizes = KeptParts(folder).values();
            return std::count_if(sizes.cbegin(), sizes.cend(), [&](qint64 kept) { return kept < size / 2; }) >= 2;
        };
        ASSERT_TRUE(WaitUntil([&] { return !FinalTracks(folder).isEmpty() && midway(); }));
        for (const int signal : sent)
            Signal(process, signal);
        ASSERT_TRUE(process.waitForFinished(kPromptEndMs));
        EXPECT_EQ(ResultOf(process).exitCode, 130);

        const QStringList whole = FinalTracks(folder);
        const QMap<QString, qint64> kept = KeptParts(folder);
        ASSERT_FALSE(whole.isEmpty());
        ASSERT_FALSE(kept.isEmpty());
        for (auto part = kept.cbegin(); part != kept.cend(); ++part)
            EXPECT_FALSE(PartSource(folder.file(part.key() + QStringLiteral(".part"))).isEmpty())
                << part.key().toStdString();
        const QString playlist = CleanFileName(q(album.title)) + u'/' + CleanFileName(q(album.title)) + ".m3u8";
        EXPECT_EQ(folder.read(QStringLiteral("archive.txt")).count('\n'), whole.size());
        // A second Ctrl-C taken on its own leaves without the playlist: none, never a partial one.
        if (sent.size() == 1 || QFileInfo::exists(folder.file(playlist))) {
            EXPECT_EQ(folder.read(playlist).count("#EXTINF:-1,"), whole.size());
        }

        emulator.clearFaults();
        emulator.clearRequestLog();
        const RunResult rerun = run(command, folder);
        EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
        for (const emu::Track &track : album.tracks) {
            const QString file = trackFile(album, track);
            const std::vector<emu::RequestRecord> asked = requests("/view/song/small/p" + track.songId);
            EXPECT_EQ(folder.read(file), servedBytes(track.songId)) << track.title;
            if (whole.contains(file)) {
                EXPECT_TRUE(asked.empty()) << track.title;
                continue;
            }
            ASSERT_EQ(asked.size(), 1u) << track.title;
            const qint64 from = kept.value(file);
            EXPECT_EQ(asked[0].header("Range"), from > 0 ? "bytes=" + std::to_string(from) + "-" : "") << track.title;
            EXPECT_EQ(qint64(asked[0].bodyBytesSent), size - from) << track.title;
        }
        const QString archive = QString::fromUtf8(folder.read(QStringLiteral("archive.txt")));
        for (const emu::Track &track : album.tracks)
            EXPECT_EQ(archive.count(QStringLiteral("tavimo %1\n").arg(q(track.songId))), 1) << track.title;
        EXPECT_EQ(folder.read(playlist).count("#EXTINF:-1,"), qsizetype(album.tracks.size()));
        EXPECT_EQ(folder.allFiles().size(), qsizetype(album.tracks.size()) + 2);
    }
}

// Ctrl-C in a retry's pause, once the failed attempt was answered and the
// next tracks went on, ends the pause at once: the track is not asked for
// again in that run, and the same command again fetches it.
TEST_F(TavimoDlTest, InterruptEndsARetrysPause)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const std::string first = "/view/song/small/p" + album.tracks.front().songId;
    emulator.setFault(first, emu::Fault::failFirst(1));
    environment[QStringLiteral("TAVIMO_PAUSE_MS")] = QStringLiteral("60000");
    const QStringList command{QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)};
    QProcess process;
    start(process, command, root);
    // The tracks after the failed one start only once its failure was taken.
    ASSERT_TRUE(WaitUntil([&] { return FinalTracks(root).size() == qsizetype(album.tracks.size()) - 1; }));
    Signal(process, SIGINT);
    ASSERT_TRUE(process.waitForFinished(kPromptEndMs));
    EXPECT_EQ(ResultOf(process).exitCode, 130);
    const std::vector<emu::RequestRecord> asked = requests(first);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].status, 503);
    EXPECT_EQ(requestsTo("/view/"), qsizetype(album.tracks.size()));

    environment.clear();
    EXPECT_EQ(run(command).exitCode, 0);
    EXPECT_EQ(requestsTo(first), 2);
    EXPECT_EQ(root.read(trackFile(album, album.tracks.front())), servedBytes(album.tracks.front().songId));
}

} // namespace
} // namespace tavimo::cli::test
