#include "tests/support/workflow_fixture.h"

namespace tavimo {
namespace {

using emu::ArtistCase;

using ArtistSearchTest = test::WorkflowFixture;

// A name finds the artist's page, writes it into the address box and downloads the artist.
TEST_F(ArtistSearchTest, FoundArtistIsDownloaded)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Plain);
    searchArtist(q(artist.name).section(u' ', 0, 0));
    EXPECT_EQ(view.singerId, artistAddress(artist));
    EXPECT_EQ(view.statuses.front(), QStringLiteral("正在获取歌手的所有专辑... "));
    EXPECT_EQ(view.lastStatus(), QStringLiteral("歌手[") + q(artist.name) + QStringLiteral("]下载完毕! "));
    EXPECT_TRUE(view.isButtonEnabled(MainButton::cmdSinger2));
    EXPECT_TRUE(view.isButtonEnabled(MainButton::cmdSinger));
}

// No usable link (none, or a first link in other letter case) says "找不到对应歌手" and keeps the address box.
TEST_F(ArtistSearchTest, NoUsableLink)
{
    view.singerId = QStringLiteral("unchanged");
    for (const QString &name : {QStringLiteral("nobody-at-all"), q(emulator.catalogue().artist(ArtistCase::UpperCaseSearchLink).name).section(u' ', 0, 0)}) {
        view.messages.clear();
        searchArtist(name);
        EXPECT_EQ(view.messageTexts(), QStringList{QStringLiteral("找不到对应歌手")}) << name.toStdString();
        EXPECT_EQ(view.messages.front().icon, DialogIcon::Critical);
    }
    EXPECT_EQ(view.singerId, QStringLiteral("unchanged"));
    EXPECT_TRUE(view.isButtonEnabled(MainButton::cmdSinger2));
}

// An empty name still asks the search with nothing after "search_text=".
TEST_F(ArtistSearchTest, EmptyNameStillSearches)
{
    searchArtist(QString());
    EXPECT_EQ(requestsTo("/subject_search?search_text="), 1);
}

} // namespace
} // namespace tavimo
