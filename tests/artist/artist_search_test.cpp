#include "tests/support/workflow_fixture.h"

namespace tavimo {
namespace {

using emu::ArtistCase;

using ArtistSearchTest = test::WorkflowFixture;

// A name finds the artist's page address, and the artist on it is downloaded.
TEST_F(ArtistSearchTest, FoundArtistIsDownloaded)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Plain);
    const QString name = q(artist.name).section(u' ', 0, 0);
    EXPECT_EQ(FindArtist(context(), name).address, artistAddress(artist));
    view.statuses.clear();
    searchArtist(name);
    EXPECT_EQ(view.statuses.front(), QStringLiteral("正在获取歌手的所有专辑... "));
    EXPECT_EQ(view.lastStatus(), QStringLiteral("歌手[") + q(artist.name) + QStringLiteral("]下载完毕! "));
    EXPECT_EQ(result.end, RunEnd::Done);
}

// An empty name still asks the search with nothing after "search_text=".
TEST_F(ArtistSearchTest, EmptyNameStillSearches)
{
    searchArtist(QString());
    EXPECT_EQ(requestsTo("/subject_search?search_text="), 1);
}

} // namespace
} // namespace tavimo
