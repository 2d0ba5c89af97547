#include "tests/support/workflow_fixture.h"
#include "download/file_names.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {
namespace {

using emu::AlbumCase;

class AlbumPageDownloadTest : public test::WorkflowFixture {
protected:
    using WorkflowFixture::runAlbum;
    void runAlbum(AlbumCase which) { runAlbum(albumAddress(emulator.catalogue().album(which))); }

    static QString folderOf(const emu::Album &album) { return CleanFileName(q(album.title)); }
    QString trackFile(const emu::Album &album, const emu::Track &track) const
    {
        return folderOf(album) + u'/' + CleanFileName(q(track.title)) + QStringLiteral(".mp3");
    }
};

// An album lands as one folder named after the page title, one file per track,
// with the status texts in order and the button enabled again.
TEST_F(AlbumPageDownloadTest, DownloadsEveryTrackIntoTheAlbumFolder)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    runAlbum(AlbumCase::Plain);

    QStringList expectedFiles;
    QStringList expectedStatuses;
    for (const emu::Track &track : album.tracks) {
        expectedFiles.append(trackFile(album, track));
        expectedStatuses.append(QStringLiteral("正在下载:  《") + q(track.title) + QStringLiteral("》 ..."));
        EXPECT_EQ(root.read(trackFile(album, track)), expectedMp3(track.songId, true));
    }
    expectedStatuses.append(QStringLiteral("《") + folderOf(album) + QStringLiteral("》下载完毕!"));
    expectedFiles.sort();
    EXPECT_EQ(root.allFiles(), expectedFiles);
    EXPECT_EQ(view.statuses, expectedStatuses);
    EXPECT_TRUE(view.messages.isEmpty());
    EXPECT_EQ(result.end, RunEnd::Done);
    EXPECT_EQ(result.counts.saved, int(album.tracks.size()));
    EXPECT_EQ(tables.dictAlbum2.Count(), int(album.tracks.size()));
}

// Running the same album again requests no file and changes none.
TEST_F(AlbumPageDownloadTest, RerunFetchesNothing)
{
    runAlbum(AlbumCase::Plain);
    const QStringList files = root.allFiles();
    emulator.clearRequestLog();
    runAlbum(AlbumCase::Plain);
    EXPECT_EQ(requestsTo("/view/"), 0);
    EXPECT_EQ(root.allFiles(), files);
    EXPECT_TRUE(view.lastStatus().endsWith(QStringLiteral("》下载完毕!")));
    EXPECT_EQ(result.counts.alreadyPresent, files.size());
    EXPECT_EQ(result.counts.saved, 0);
}

// A missing high-bit-rate file is fetched once more without "_192k", never a third time.
TEST_F(AlbumPageDownloadTest, FallsBackOnceFromTheHighBitRateFile)
{
    for (AlbumCase which : {AlbumCase::HighRateNotFound, AlbumCase::HighRateUnavailable}) {
        const emu::Album &album = emulator.catalogue().album(which);
        emulator.clearRequestLog();
        runAlbum(which);
        for (const emu::Track &track : album.tracks) {
            SCOPED_TRACE(track.title);
            const std::string file = "/view/song/small/p" + track.songId;
            EXPECT_EQ(requestsTo(file + "_192k.mp3"), 1);
            EXPECT_EQ(requestsTo(file + ".mp3"), 1);
            EXPECT_EQ(root.read(trackFile(album, track)), expectedMp3(track.songId, false));
        }
    }
}

// A track missing at both bit rates leaves no file; the album still finishes.
TEST_F(AlbumPageDownloadTest, TrackMissingEverywhereLeavesNoFile)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::MissingFiles);
    runAlbum(AlbumCase::MissingFiles);
    for (const emu::Track &track : album.tracks) {
        const bool missing = emulator.catalogue().songFiles(track.songId) == emu::SongFiles::Missing;
        EXPECT_EQ(QFileInfo::exists(root.file(trackFile(album, track))), !missing) << track.title;
        EXPECT_LE(requestsTo("/view/song/small/p" + track.songId), 2);
    }
    EXPECT_EQ(view.lastStatus(), QStringLiteral("《") + folderOf(album) + QStringLiteral("》下载完毕!"));
}

// Rejected addresses say "专辑地址无法识别", request nothing and free the button at once.
TEST_F(AlbumPageDownloadTest, RejectsAddressesThatDoNotReduceToANumber)
{
    const QString album = albumAddress(emulator.catalogue().album(AlbumCase::Plain));
    const QString rejected[] = {QString(), QString(album).replace(QStringLiteral("http:"), QStringLiteral("https:")),
                                artistAddress(emulator.catalogue().artist(emu::ArtistCase::Plain))};
    for (const QString &typed : rejected) {
        SCOPED_TRACE(typed.toStdString());
        view.messages.clear();
        runAlbum(typed);
        ASSERT_EQ(view.messageTexts(), QStringList{QStringLiteral("专辑地址无法识别")});
        EXPECT_EQ(view.messages.front().kind, MessageKind::Critical);
        EXPECT_EQ(result.end, RunEnd::Rejected);
        EXPECT_EQ(result.reason, QStringLiteral("专辑地址无法识别"));
    }
    EXPECT_TRUE(emulator.requestLog().empty());
    EXPECT_TRUE(root.allFiles().isEmpty());
}

// A bare number passes the check but is fetched as typed: the title cut
// reports its error and the status names an empty title.
TEST_F(AlbumPageDownloadTest, BareNumberFailsWithAnEmptyTitle)
{
    runAlbum(q(emulator.catalogue().album(AlbumCase::Plain).number));
    EXPECT_EQ(view.messageTexts(), QStringList{QStringLiteral("Err:无效的过程调用或参数")});
    EXPECT_EQ(view.lastStatus(), QStringLiteral("没找到文件,下载《》失败!"));
    EXPECT_TRUE(QDir(root.path()).isEmpty());
}

// A page without track rows reports the album title and creates nothing.
TEST_F(AlbumPageDownloadTest, PageWithoutTrackRowsCreatesNothing)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::NoTrackRows);
    runAlbum(AlbumCase::NoTrackRows);
    EXPECT_EQ(view.lastStatus(), QStringLiteral("没找到文件,下载《") + folderOf(album) + QStringLiteral("》失败!"));
    EXPECT_EQ(result.end, RunEnd::NothingFound);
    EXPECT_EQ(result.reason, view.lastStatus());
    EXPECT_TRUE(QDir(root.path()).isEmpty());
    EXPECT_EQ(requestsTo("/view/"), 0);
}

// A song listed twice is fetched once; two songs with one title share one file.
TEST_F(AlbumPageDownloadTest, DuplicateSongsAndTitlesGiveOneFileEach)
{
    runAlbum(AlbumCase::DuplicateSongId);
    const emu::Album &duplicate = emulator.catalogue().album(AlbumCase::DuplicateSongId);
    EXPECT_EQ(requestsTo("/view/song/small/p" + duplicate.tracks.front().songId + "_192k"), 1);

    runAlbum(AlbumCase::EqualTitles);
    const emu::Album &twins = emulator.catalogue().album(AlbumCase::EqualTitles);
    const QDir folder(root.file(folderOf(twins)));
    EXPECT_EQ(folder.entryList(QDir::Files).size(), 2);
}

// Titles with path characters and entities cannot name anything outside the album folder.
TEST_F(AlbumPageDownloadTest, HostileTitlesStayInsideTheRoot)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::SpecialTitles);
    runAlbum(AlbumCase::SpecialTitles);
    const QString folder = folderOf(album);
    EXPECT_FALSE(folder.contains(u'/'));
    const QStringList files = root.allFiles();
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files) {
        EXPECT_TRUE(file.startsWith(folder + u'/')) << file.toStdString();
        EXPECT_EQ(file.count(u'/'), 1) << file.toStdString();
    }
    EXPECT_TRUE(files.contains(folder + QStringLiteral("/Don't Stop.mp3")));
}

} // namespace
} // namespace tavimo
