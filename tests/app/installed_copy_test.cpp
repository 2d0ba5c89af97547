#include "emulator/emulator.h"
#include "download/file_names.h"
#include "tests/support/installed_copy.h"

#include <gtest/gtest.h>

namespace tavimo {
namespace {

// A copy of the program in an empty writable folder, pointed at the service
// through http_proxy, downloads the album of its text box into that folder.
TEST(InstalledCopy, DownloadsThroughTheSystemProxyIntoItsOwnFolder)
{
    emu::Emulator emulator;
    ASSERT_TRUE(emulator.start());
    test::InstalledCopy copy(emulator);
    const test::TempRoot &folder = copy.folder;
    const QString output = copy.run(QStringLiteral("album"));

    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const QString albumFolder = QString::fromStdString(album.title);
    EXPECT_EQ(output, QStringLiteral("《") + albumFolder + QStringLiteral("》下载完毕!"));
    for (const emu::Track &track : album.tracks) {
        const QString file = albumFolder + u'/' + CleanFileName(QString::fromStdString(track.title)) + QStringLiteral(".mp3");
        EXPECT_EQ(folder.read(file), QByteArray::fromStdString(emulator.expectedMp3(track.songId, true))) << file.toStdString();
    }
    const auto log = emulator.requestLog();
    ASSERT_FALSE(log.empty());
    for (const emu::RequestRecord &request : log)
        EXPECT_TRUE(request.viaProxy) << request.address;
}

} // namespace
} // namespace tavimo
