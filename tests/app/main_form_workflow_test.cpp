#include "tests/app/main_form_fixture.h"
#include "tests/support/installed_copy.h"
#include "download/download_root.h"
#include "download/file_names.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace tavimo {
namespace {

using emu::AlbumCase;
using emu::ArtistCase;
using emu::Fault;
using emu::FaultKind;
using test::MainFormFixture;

class MainFormWorkflowTest : public MainFormFixture {
protected:
    const emu::Album &plainAlbum() const { return emulator.catalogue().album(AlbumCase::Plain); }
    QString albumDone() const { return QStringLiteral("《") + q(plainAlbum().title) + QStringLiteral("》下载完毕!"); }
    QString firstTrackFile() const { return root.file(trackFile(plainAlbum(), plainAlbum().tracks.front())); }
    // Runs action once, from inside the first wait after a status starting with prefix.
    void onFirstStatus(const QString &prefix, std::function<void()> action)
    {
        auto fired = std::make_shared<bool>(false);
        QObject::connect(form.get(), &MainForm::statusChanged, form.get(), [this, fired, prefix, action](const QString &text) {
            if (*fired || !text.startsWith(prefix))
                return;
            *fired = true;
            QTimer::singleShot(0, form.get(), action);
        });
    }
};

// Start-up creates the liked folder empty and leaves an existing one with its files.
TEST_F(MainFormWorkflowTest, StartUpPreparesTheLikedFolder)
{
    const QString liked = QString::fromUtf16(kLikedFolderName);
    EXPECT_TRUE(QDir(root.file(liked)).exists());
    EXPECT_TRUE(QDir(root.file(liked)).isEmpty());
    root.write(liked + QStringLiteral("/keep.mp3"), "kept");
    MainForm second(emulator.hosts(), files, dialogs, root.path());
    EXPECT_EQ(root.read(liked + QStringLiteral("/keep.mp3")), QByteArray("kept"));
}

// The hand-over buttons announce themselves and are never disabled.
TEST_F(MainFormWorkflowTest, HandOverButtonsSignal)
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

// A refusal shows its box titled with the caption and frees the button at once.
TEST_F(MainFormWorkflowTest, RejectedAddressFreesTheButtonAtOnce)
{
    form->txtAlbumID->setText(QStringLiteral("https://example.com/subject/1/"));
    click(form->cmdDown2);
    ASSERT_EQ(dialogs.texts(), QStringList{QStringLiteral("专辑地址无法识别")});
    EXPECT_EQ(dialogs.boxes.front().title, MainForm::kCaption);
    EXPECT_TRUE(form->cmdDown2->isEnabled());
}

// Each workflow button is disabled for its run and free again after it; the
// search writes the artist's page address it found into the address box.
TEST_F(MainFormWorkflowTest, ButtonsRunTheirWorkflowsAndAreFreeAgain)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Plain);
    form->txtAlbumID->setText(albumAddress(plainAlbum()));
    form->txtSingerID->setText(QStringLiteral("replaced by the search"));
    form->txtSingerName->setText(q(artist.name).section(u' ', 0, 0));
    const struct {
        QPushButton *button;
        QString closing;
    } rows[] = {
        {form->cmdDown2, albumDone()},
        {form->cmdDown, QStringLiteral("专辑") + albumDone()},
        {form->cmdSinger2, QStringLiteral("歌手[") + q(artist.name) + QStringLiteral("]下载完毕! ")},
    };
    for (const auto &row : rows) {
        bool disabledDuringRun = false;
        const QMetaObject::Connection watch = QObject::connect(form.get(), &MainForm::statusChanged, [&] {
            disabledDuringRun = disabledDuringRun || !row.button->isEnabled();
        });
        click(row.button);
        QObject::disconnect(watch);
        EXPECT_TRUE(disabledDuringRun) << row.button->objectName().toStdString();
        EXPECT_TRUE(row.button->isEnabled()) << row.button->objectName().toStdString();
        EXPECT_EQ(statuses.last(), row.closing);
    }
    EXPECT_EQ(form->txtSingerID->text(), artistAddress(artist));
    EXPECT_TRUE(form->cmdSinger->isEnabled());
    EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// An artist download started while the album waits for its page runs beside
// it, and the album does not wait for the artist's end: with the artist's
// listing slower than the album, the album is done first. Each button is
// free at its own run's end, and both folders are complete.
TEST_F(MainFormWorkflowTest, AlbumAndArtistRunSideBySide)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Plain);
    form->txtAlbumID->setText(albumAddress(plainAlbum()));
    form->txtSingerID->setText(artistAddress(artist));
    emulator.setFault("/subject/" + plainAlbum().number + "/", Fault::of(FaultKind::Delay, 300, 1));
    emulator.setFault("/musician/" + artist.id + "/albums", Fault::of(FaultKind::Delay, 1500, 1));
    QList<std::pair<bool, bool>> freeAtEnds; // album button, artist button
    QObject::connect(form.get(), &MainForm::runEnded, form.get(), [&] {
        freeAtEnds.append({form->cmdDown2->isEnabled(), form->cmdSinger->isEnabled()});
    });
    press(form->cmdDown2);
    ASSERT_FALSE(form->cmdDown2->isEnabled());
    click(form->cmdSinger);

    const QList<std::pair<bool, bool>> expectedEnds{{true, false}, {true, true}};
    EXPECT_EQ(freeAtEnds, expectedEnds);
    const qsizetype albumDoneAt = statuses.indexOf(albumDone());
    const qsizetype artistDoneAt = statuses.indexOf(QStringLiteral("歌手[") + q(artist.name) + QStringLiteral("]下载完毕! "));
    ASSERT_GE(albumDoneAt, 0);
    ASSERT_GE(artistDoneAt, 0);
    EXPECT_LT(albumDoneAt, artistDoneAt);
    for (const emu::Track &track : plainAlbum().tracks)
        EXPECT_TRUE(QFileInfo::exists(root.file(trackFile(plainAlbum(), track)))) << track.title;
    const QString artistFolder = QStringLiteral("歌手 - ") + CleanFileName(q(artist.name)) + u'/';
    for (const std::string &number : artist.albumNumbers) {
        const emu::Album &album = *emulator.catalogue().findAlbum(number);
        for (const emu::Track &track : album.tracks)
            EXPECT_TRUE(QFileInfo::exists(root.file(artistFolder + trackFile(album, track)))) << track.title;
    }
    EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// The search button refuses to start while an artist download runs.
TEST_F(MainFormWorkflowTest, SearchWaitsForTheRunningArtistDownload)
{
    form->txtSingerID->setText(artistAddress(emulator.catalogue().artist(ArtistCase::Plain)));
    emulator.setFault("/view/", Fault::of(FaultKind::Delay, 100, 1));
    onFirstStatus(QStringLiteral("正在下载:  《"), [this] { press(form->cmdSinger2); });
    click(form->cmdSinger);
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_EQ(dialogs.boxes.front().text, QStringLiteral("请先等待上一个操作完成"));
    EXPECT_EQ(dialogs.boxes.front().icon, DialogIcon::Information);
    EXPECT_EQ(requestsTo("/subject_search"), 0);
    EXPECT_TRUE(form->cmdSinger2->isEnabled());
}

// Closing the window while a track downloads ends the run at once: no
// closing text, no file under its final name; the program started again
// completes the album byte for byte.
TEST_F(MainFormWorkflowTest, ClosingDuringADownloadEndsSilently)
{
    bool closed = false;
    QObject::connect(form.get(), &MainForm::closed, [&] { closed = true; });
    form->txtAlbumID->setText(albumAddress(plainAlbum()));
    emulator.setFault("/view/", Fault::of(FaultKind::Stall, 5000));
    onFirstStatus(QStringLiteral("正在下载:  《"), [this] { QTimer::singleShot(200, form.get(), [this] { form->close(); }); });
    click(form->cmdDown2);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(statuses.contains(albumDone()));
    EXPECT_EQ(statuses.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(firstTrackFile()));
    EXPECT_TRUE(dialogs.boxes.isEmpty());
    EXPECT_EQ(requestsTo("/view/"), 1);

    emulator.clearFaults();
    ModXmlHttp againNet;
    FileDownloader againFiles(againNet);
    form = std::make_unique<MainForm>(emulator.hosts(), againFiles, dialogs, root.path());
    form->txtAlbumID->setText(albumAddress(plainAlbum()));
    click(form->cmdDown2);
    for (const emu::Track &track : plainAlbum().tracks) {
        EXPECT_EQ(root.read(trackFile(plainAlbum(), track)), QByteArray::fromStdString(emulator.expectedMp3(track.songId, true)))
            << track.title;
    }
    form.reset();
}

using InstalledCopyTest = test::EmulatedService;

// A copy of the program in an empty writable folder, pointed at the service
// through http_proxy, downloads the album of its text box into that folder.
TEST_F(InstalledCopyTest, DownloadsThroughTheSystemProxyIntoItsOwnFolder)
{
    test::InstalledCopy copy(emulator);
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    EXPECT_EQ(copy.run(QStringLiteral("album")), QStringLiteral("《") + q(album.title) + QStringLiteral("》下载完毕!"));
    for (const emu::Track &track : album.tracks) {
        EXPECT_EQ(copy.folder.read(trackFile(album, track)), QByteArray::fromStdString(emulator.expectedMp3(track.songId, true)))
            << track.title;
    }
    const auto log = emulator.requestLog();
    ASSERT_FALSE(log.empty());
    for (const emu::RequestRecord &request : log)
        EXPECT_TRUE(request.viaProxy) << request.address;
}

} // namespace
} // namespace tavimo
