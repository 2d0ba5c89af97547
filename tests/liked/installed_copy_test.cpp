#include "emulator/emulator.h"
#include "download/download_root.h"
#include "tests/support/installed_copy.h"

#include <QDir>

#include <gtest/gtest.h>

namespace tavimo {
namespace {

size_t AudioRequests(const emu::Emulator &emulator)
{
    size_t count = 0;
    for (const emu::RequestRecord &request : emulator.requestLog())
        count += request.target.rfind("/view/song/", 0) == 0;
    return count;
}

// The installed program, reaching the service with its built-in hosts through
// http_proxy: the user signs in on the service's page in the browser and the
// liked tracks arrive; the next start is forwarded by the kept sign-in and
// finds nothing new to download. Browser and HTTP client both go through the
// proxy, and the list pages carry the browser's session.
TEST(InstalledCopy, SignsInAndHarvestsLikedTracksThroughTheSystemProxy)
{
    emu::Emulator emulator;
    ASSERT_TRUE(emulator.start());
    test::InstalledCopy copy(emulator);
    const size_t liked = emulator.catalogue().liked().size();
    const QString summary = QStringLiteral("红心下载完毕. 共%1首.").arg(liked);

    EXPECT_EQ(copy.run(QStringLiteral("liked=fan@example.com:secret")), summary);
    const QDir likedFolder(copy.folder.file(QString::fromUtf16(kLikedFolderName)));
    EXPECT_EQ(likedFolder.entryList(QDir::Files | QDir::Hidden).size(), qsizetype(liked));
    const size_t downloads = AudioRequests(emulator);
    EXPECT_GE(downloads, liked);

    EXPECT_EQ(copy.run(QStringLiteral("liked")), summary);
    EXPECT_EQ(AudioRequests(emulator), downloads);
    EXPECT_EQ(likedFolder.entryList(QDir::Files | QDir::Hidden).size(), qsizetype(liked));

    size_t listPages = 0;
    for (const emu::RequestRecord &request : emulator.requestLog()) {
        EXPECT_TRUE(request.viaProxy) << request.address;
        if (request.target.rfind("/mine?start=", 0) == 0) {
            ++listPages;
            EXPECT_NE(request.header("Cookie").find(emu::Emulator::signInCookie()), std::string::npos);
        }
    }
    EXPECT_EQ(listPages, 8u); // two harvests of offsets 0, 15, 30 and the empty 45
}

} // namespace
} // namespace tavimo
