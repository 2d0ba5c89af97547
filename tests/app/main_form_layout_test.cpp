#include "tests/app/main_form_fixture.h"

#include "download/download_root.h"

#include <QDir>

namespace tavimo {
namespace {

using test::MainFormFixture;

class MainFormLayoutTest : public MainFormFixture {};

// The address boxes start with examples on the hosts the window was given.
TEST_F(MainFormLayoutTest, AddressBoxesStartOnTheGivenHosts)
{
    const QString hosts = emulator.hosts().catalogue;
    EXPECT_TRUE(form->txtAlbumID->text().startsWith(QStringLiteral("http://") + hosts + QStringLiteral("/subject/")));
    EXPECT_TRUE(form->txtSingerID->text().startsWith(QStringLiteral("http://") + hosts + QStringLiteral("/musician/")));
    EXPECT_FALSE(form->txtSingerName->text().isEmpty());
}

// Start-up creates the liked folder empty and leaves an existing one with its files.
TEST_F(MainFormLayoutTest, StartUpPreparesTheLikedFolder)
{
    const QString liked = QString::fromUtf16(kLikedFolderName);
    EXPECT_TRUE(QDir(root.file(liked)).exists());
    EXPECT_TRUE(QDir(root.file(liked)).isEmpty());
    root.write(liked + QStringLiteral("/keep.mp3"), "kept");
    MainForm second(emulator.hosts(), files, dialogs, root.path());
    EXPECT_EQ(root.read(liked + QStringLiteral("/keep.mp3")), QByteArray("kept"));
}

// The hand-over buttons announce themselves and are never disabled.
TEST_F(MainFormLayoutTest, HandOverButtonsSignal)
{
    int liked = 0;
    int hot = 0;
    QObject::connect(form.get(), &MainForm::likedSongsRequested, [&] { ++liked; });
    QObject::connect(form.get(), &MainForm::hotChannelsRequested, [&] { ++hot; });
    click(form->cmdDownLikedSongs);
    click(form->cmdDownHot);
    EXPECT_EQ(liked, 1);
    EXPECT_EQ(hot, 1);
    EXPECT_TRUE(form->cmdDownLikedSongs->isEnabled());
    EXPECT_TRUE(form->cmdDownHot->isEnabled());
}

} // namespace
} // namespace tavimo
