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

// No usable link (none, or a first link in other letter case) says "找不到对应歌手" and finds no address.
TEST_F(ArtistSearchTest, NoUsableLink)
{
    for (const QString &name : {QStringLiteral("nobody-at-all"), q(emulator.catalogue().artist(ArtistCase::UpperCaseSearchLink).name).section(u' ', 0, 0)}) {
        view.messages.clear();
        const FoundArtist found = FindArtist(context(), name);
        EXPECT_EQ(view.messageTexts(), QStringList{QStringLiteral("找不到对应歌手")}) << name.toStdString();
        EXPECT_EQ(view.messages.front().kind, MessageKind::Critical);
        EXPECT_TRUE(found.address.isEmpty());
        EXPECT_EQ(found.result.end, RunEnd::Rejected);
    }
}

// An empty name still asks the search with nothing after "search_text=".
TEST_F(ArtistSearchTest, EmptyNameStillSearches)
{
    searchArtist(QString());
    EXPECT_EQ(requestsTo("/subject_search?search_text="), 1);
}

} // namespace
} // namespace tavimo
