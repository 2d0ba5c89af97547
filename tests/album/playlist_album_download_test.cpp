#include "tests/support/workflow_fixture.h"
#include "download/file_names.h"

#include <QDir>

namespace tavimo {
namespace {

using emu::AlbumCase;
using emu::Fault;
using emu::FaultKind;

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
    EXPECT_EQ(view.lastStatus(), QStringLiteral("专辑《") + CleanFileName(q(album.title)) + QStringLiteral("》下载完毕!"));
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
