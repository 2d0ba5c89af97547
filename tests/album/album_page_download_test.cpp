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

// A track missing at both bit rates leaves no file; the album still finishes.
TEST_F(AlbumPageDownloadTest, TrackMissingEverywhereLeavesNoFile)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::MissingFiles);
    runAlbum(AlbumCase::MissingFiles);
    for (const emu::Track &track : album.tracks) {
        const bool missing = emulator.catalogue().songFiles(track.songId) == emu::SongFiles::Missing;
        EXPECT_EQ(QFileInfo::exists(root.file(trackFile(album, track))), !missing) << track.title;
    }
    EXPECT_EQ(view.lastStatus(), QStringLiteral("《") + folderOf(album) + QStringLiteral("》下载完毕!"));
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

} // namespace
} // namespace tavimo
