#include "download/file_names.h"
#include "download/job_downloads.h"
#include "tests/support/workflow_fixture.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace tavimo {
namespace {

using emu::AlbumCase;
using emu::Fault;
using emu::FaultKind;

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

// An album and an album by its playlist side by side on one scheduler, as
// the window runs its buttons, each job's tracks one after the other: each
// result counts its own tracks, the failed one included.
TEST_F(AlbumPageDownloadTest, RunsSideBySideCountTheirOwnTracks)
{
    const emu::Album &missing = emulator.catalogue().album(AlbumCase::MissingFiles);
    ParallelTrackDownloads shared(files, std::numeric_limits<int>::max(), 1);
    JobDownloads albumJob(shared);
    JobDownloads playlistJob(shared);
    const WorkflowContext albumRun = context().forJob(albumJob);
    const WorkflowContext playlistRun = context().forJob(playlistJob);
    QCoro::Task<RunResult> album = DownloadAlbumByPage(albumRun, albumAddress(missing));
    QCoro::Task<RunResult> playlist = DownloadAlbumByPlaylist(
        playlistRun, albumAddress(emulator.catalogue().album(AlbumCase::Plain)));
    const RunResult albumEnd = QCoro::waitFor(album);
    const RunResult playlistEnd = QCoro::waitFor(playlist);
    EXPECT_EQ(albumEnd.counts.saved, int(missing.tracks.size()) - 1);
    EXPECT_EQ(albumEnd.counts.failed, 1);
    ASSERT_EQ(albumEnd.failedTracks.size(), 1);
    EXPECT_TRUE(albumEnd.failedTracks.front().path.startsWith(root.file(folderOf(missing))));
    EXPECT_GT(playlistEnd.counts.saved, 0);
    EXPECT_EQ(playlistEnd.counts.failed, 0);
    EXPECT_EQ(albumEnd.counts.saved + playlistEnd.counts.saved, root.allFiles().size());
}

using PlaylistAlbumDownloadTest = test::WorkflowFixture;

const QString kNoTracks = QStringLiteral("抱歉,没找到专辑文件,下载失败!");

// The album's tracks of the playlist land in the folder named by the first kept track.
TEST_F(PlaylistAlbumDownloadTest, KeepsTheAlbumsTracks)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    // Every kept track (its album text contains the number) goes into the first kept track's folder.
    QStringList expected;
    QString folder;
    for (const emu::PlaylistSong &song : emulator.catalogue().albumPlaylist(album.number)) {
        if (song.albumNumber.find(album.number) == std::string::npos)
            continue;
        if (folder.isEmpty())
            folder = CleanFileName(q(song.albumTitle));
        expected.append(folder + u'/' + CleanFileName(q(song.track.title)) + QStringLiteral(".mp3"));
    }
    expected.removeDuplicates();
    expected.sort();
    ASSERT_FALSE(expected.isEmpty());
    runPlaylist(albumAddress(album));
    EXPECT_EQ(root.allFiles(), expected);
    EXPECT_TRUE(view.statuses.front().startsWith(QStringLiteral("下载第1首:  《")));
    EXPECT_EQ(view.lastStatus(),
              QStringLiteral("专辑《") + CleanFileName(q(album.title)) + QStringLiteral("》下载完毕!"));
    EXPECT_EQ(result.end, RunEnd::Done);
    EXPECT_EQ(result.counts.saved, expected.size());
}

// Replies that are no playlist of the album count as no tracks: no folder, no crash.
TEST_F(PlaylistAlbumDownloadTest, RepliesWithoutTracksOfTheAlbum)
{
    const QString album = albumAddress(emulator.catalogue().album(AlbumCase::Plain));
    const Fault faults[] = {Fault::of(FaultKind::Garbage), Fault::of(FaultKind::EmptyBody), Fault::status(500),
                            Fault::of(FaultKind::Refused), Fault::of(FaultKind::Drop)};
    for (const Fault &fault : faults) {
        emulator.clearFaults();
        emulator.setFault("/j/mine/playlist", fault);
        runPlaylist(album);
        EXPECT_EQ(view.lastStatus(), kNoTracks) << int(fault.kind);
        EXPECT_EQ(result.end, RunEnd::NothingFound) << int(fault.kind);
    }
    emulator.clearFaults();
    runPlaylist(QStringLiteral("987654321"));
    EXPECT_EQ(view.lastStatus(), kNoTracks);
    EXPECT_TRUE(root.allFiles().isEmpty());
    EXPECT_TRUE(QDir(root.path()).isEmpty());
}

} // namespace
} // namespace tavimo
