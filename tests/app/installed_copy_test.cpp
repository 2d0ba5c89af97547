#include "emulator/emulator.h"
#include "net/download_root.h"
#include "net/mod_xml_http.h"
#include "tests/support/temp_root.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace tavimo {
namespace {

// A copy of the program in an empty writable folder, pointed at the service
// through http_proxy, downloads the album of its text box into that folder.
TEST(InstalledCopy, DownloadsThroughTheSystemProxyIntoItsOwnFolder)
{
    emu::Emulator emulator;
    ASSERT_TRUE(emulator.start());
    test::TempRoot folder;
    const QString program = folder.file(QStringLiteral("tavimo"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVIMO_BINARY), program));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:%1").arg(emulator.proxyPort()));
    environment.remove(QStringLiteral("no_proxy"));
    environment.remove(QStringLiteral("NO_PROXY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TAVIMO_AUTOCLICK"), QStringLiteral("album"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(program, {});
    ASSERT_TRUE(process.waitForFinished(60000)) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitCode(), 0);

    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const QString albumFolder = QString::fromStdString(album.title);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
              QStringLiteral("《") + albumFolder + QStringLiteral("》下载完毕!"));
    for (const emu::Track &track : album.tracks) {
        const QString file = albumFolder + u'/' + CleanFileName(QString::fromStdString(track.title)) + QStringLiteral(".mp3");
        EXPECT_EQ(folder.read(file), QByteArray::fromStdString(emulator.expectedMp3(track.songId, true))) << file.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder.file(QString::fromUtf16(kLikedFolderName))).isDir());
    const auto log = emulator.requestLog();
    ASSERT_FALSE(log.empty());
    for (const emu::RequestRecord &request : log)
        EXPECT_TRUE(request.viaProxy) << request.address;
}

} // namespace
} // namespace tavimo
