#include "support/tavimo_dl_runner.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <csignal>

namespace tavimo::cli::test {
namespace {

// Waits until the file exists and holds some bytes.
bool WaitForBytes(const QString &path, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (QFileInfo(path).size() > 0)
            return true;
        QThread::msleep(20);
    }
    return false;
}

// Ctrl-C in the middle of a file: exit 130 at once, no partial file under a
// final name.
TEST_F(TavimoDlTest, InterruptLeavesNoPartialFile)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const emu::Track &first = album.tracks.front();
    emulator.setMp3Size(256 * 1024);
    emulator.setFault("/view/song/small/p" + first.songId, emu::Fault::of(emu::FaultKind::Bandwidth, 32 * 1024));
    const QString finalName = trackFile(album, first);

    QProcess process;
    start(process, {QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)}, root);
    ASSERT_TRUE(WaitForBytes(root.file(finalName + QStringLiteral(".part")), 20000));
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_LT(clock.elapsed(), 2000);
    const RunResult stopped = ResultOf(process);
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(root.file(finalName)));
    for (const QString &file : root.allFiles())
        EXPECT_TRUE(file.endsWith(QStringLiteral(".part"))) << file.toStdString();
}

} // namespace
} // namespace tavimo::cli::test
