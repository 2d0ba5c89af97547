#include "support/tavimo_dl_runner.h"
#include "support/wait_until.h"
#include "tests/support/test_seed.h"

#include <QFileInfo>

#include <csignal>
#include <random>

#include <sys/types.h>

namespace tavimo::cli::test {
namespace {

constexpr uint64_t kMp3Bytes = 4 * 1024 * 1024;
constexpr int64_t kBytesPerSecond = 4 * 1024 * 1024;
constexpr int kMostKills = 20;

// The bytes of every file beneath the root, ".part" files among them.
qint64 BytesOnDisk(const tavimo::test::TempRoot &root)
{
    qint64 bytes = 0;
    for (const QString &file : root.allFiles())
        bytes += QFileInfo(root.file(file)).size();
    return bytes;
}

// An album download killed outright at random moments of its transfers (once
// a random count of the bytes still to come has gone out), and rerun each time, ends with
// every track complete and byte-identical and nothing else in the folder.
// Most kills land inside a transfer: a ".part" with bytes is left behind,
// and the next run continues each such file with a Range request.
TEST_F(TavimoDlTest, AlbumSurvivesRepeatedKills)
{
    const tavimo::test::TestSeed seed;
    std::mt19937 random(seed.value());
    emulator.setMp3Size(kMp3Bytes);
    emulator.setFault("/view/song/", emu::Fault::of(emu::FaultKind::Bandwidth, kBytesPerSecond));
    const QStringList album{QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)};
    const emu::Album &served = emulator.catalogue().album(emu::AlbumCase::Plain);
    qint64 albumBytes = 0;
    for (const emu::Track &track : served.tracks)
        albumBytes += servedBytes(track.songId).size();

    int kills = 0;
    int insideTransfers = 0;
    int resumed = 0; // requests that continued kept bytes
    const auto countResumed = [&] {
        for (const emu::RequestRecord &record : requests("/view/"))
            resumed += record.hasHeader("Range");
    };
    for (qint64 left = albumBytes; kills < kMostKills && left > qint64(kMp3Bytes) / 4;
         left = albumBytes - BytesOnDisk(root)) {
        const auto moment = std::uniform_int_distribution<qint64>(1, std::min<qint64>(left - 1, kMp3Bytes / 2))(random);
        countResumed();
        emulator.clearRequestLog();
        QProcess process;
        start(process, album, root);
        const auto sent = [this] {
            qint64 bytes = 0;
            for (const emu::RequestRecord &record : requests("/view/"))
                bytes += qint64(record.bodyBytesSent);
            return bytes;
        };
        ASSERT_TRUE(tavimo::test::WaitUntil([&] { return sent() >= moment || process.state() == QProcess::NotRunning; }));
        if (process.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(5000));
        ++kills;
        insideTransfers += root.allFiles().filter(QStringLiteral(".part")).size() > 0;
    }
    const RunResult last = run(album);
    ASSERT_EQ(last.exitCode, 0) << last.err.toStdString();
    countResumed();
    EXPECT_GE(insideTransfers * 2, kills) << insideTransfers << " of " << kills;
    EXPECT_GE(resumed, insideTransfers) << "kills inside transfers: " << insideTransfers;

    QStringList expected;
    for (const emu::Track &track : served.tracks) {
        const QString file = trackFile(served, track);
        expected.append(file);
        EXPECT_TRUE(root.read(file) == servedBytes(track.songId)) << file.toStdString();
    }
    expected.sort();
    EXPECT_EQ(root.allFiles(), expected);
}

} // namespace
} // namespace tavimo::cli::test
