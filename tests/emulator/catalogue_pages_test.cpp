#include "emulator_fixture.h"

namespace tavimo::emu::test {

// Unknown albums, artists and paths answer with a 404 page that holds no marker.
TEST_F(EmulatorTest, UnknownCataloguePagesAre404)
{
    for (const std::string target : {"/subject/999/", "/musician/999/", "/musician/999/albums?start=0", "/nowhere",
                                     "/subject/abc/"}) {
        const httplib::Result result = get(ServiceHost::Catalogue, target);
        ASSERT_TRUE(result) << target;
        EXPECT_EQ(result->status, 404) << target;
        EXPECT_NE(result->body.find("404 Not Found"), std::string::npos);
        EXPECT_EQ(result->body.find("class=\"info\">"), std::string::npos);
    }
}

// The prolific artist's listing spreads 27 albums over three pages in order, each album linked twice
// plus once with a query part, and the fourth page keeps the sort marker but links no album.
TEST_F(EmulatorTest, ListingPagesCarryMarkerAndAlbumLinks)
{
    const Artist &artist = emulator.catalogue().artist(ArtistCase::Prolific);
    const std::string link = "href=\"" + catalogueAddress("/subject/");
    ASSERT_EQ(artist.albumNumbers.size(), 27u);
    for (size_t start : {0, 10, 20, 30}) {
        const std::string page = body(ServiceHost::Catalogue, "/musician/" + artist.id + "/albums?start=" +
                                                                  std::to_string(start) + "&format=pic&sortby=vote");
        ASSERT_NE(page.find("按评价排序"), std::string::npos) << start;
        const size_t albums = std::min<size_t>(10, 27 - std::min<size_t>(start, 27));
        EXPECT_EQ(countOf(page, link), albums * 3) << start;
        EXPECT_EQ(countOf(page, "?from=musician_albums"), albums);
        for (size_t i = start; i < start + albums; ++i)
            EXPECT_EQ(countOf(page, link + artist.albumNumbers[i] + "/\""), 2u) << start;
    }
}

// Search text comes back escaped, never as markup.
TEST_F(EmulatorTest, SearchEscapesTheQuery)
{
    const std::string page = body(ServiceHost::Catalogue, "/subject_search?search_text=%3Cscript%3Ex");
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;x"), std::string::npos);
}

} // namespace tavimo::emu::test
