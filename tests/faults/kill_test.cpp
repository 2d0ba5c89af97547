#include "support/tavimo_dl_runner.h"
#include "tests/support/test_seed.h"

#include <QThread>

#include <csignal>
#include <cstdio>
#include <random>

#include <sys/types.h>

namespace tavimo::cli::test {
namespace {

constexpr uint64_t kMp3Bytes = 4 * 1024 * 1024;
constexpr int64_t kBytesPerSecond = 4 * 1024 * 1024;
constexpr int kKills = 20;

// An album download killed outright at twenty random moments, rerun each
// time, ends with every track complete and byte-identical and nothing else
// in the folder.
TEST_F(TavimoDlTest, AlbumSurvivesRepeatedKills)
{
    const tavimo::test::TestSeed seed;
    std::mt19937 random(seed.value());
    std::uniform_int_distribution<int> moment(30, 900);
    emulator.setMp3Size(kMp3Bytes);
    emulator.setFault("/view/song/", emu::Fault::of(emu::FaultKind::Bandwidth, kBytesPerSecond));
    const QStringList album{QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)};

    for (int kill = 0; kill < kKills; ++kill) {
        QProcess process;
        start(process, album, root);
        if (process.waitForFinished(moment(random)))
            continue; // already done: nothing left to interrupt
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(5000));
    }
    const RunResult last = run(album);
    ASSERT_EQ(last.exitCode, 0) << last.err.toStdString();

    const emu::Album &served = emulator.catalogue().album(emu::AlbumCase::Plain);
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
