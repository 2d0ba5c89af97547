#include "emulator_fixture.h"

#include <regex>
#include <set>

namespace tavimo::emu::test {

namespace {

const std::string kRowPattern = "<tr>\n                <td>[^\\n]*</td>\n                <td align=\"center\">\n"
                                "                        <a id=\"song-\\d+";

// The rows the album page's track-row pattern finds, as song identifier and title.
std::vector<Track> matchedRows(const std::string &page)
{
    const std::regex pattern(kRowPattern, std::regex::icase);
    const std::string cellStart = "<tr>\n                <td>";
    std::vector<Track> rows;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), pattern); it != std::sregex_iterator(); ++it) {
        const std::string row = it->str();
        const std::string title = row.substr(cellStart.size(), row.find("</td>") - cellStart.size());
        rows.push_back({row.substr(row.find("song-") + 5), title});
    }
    return rows;
}

std::string between(const std::string &text, const std::string &start, const std::string &end)
{
    const size_t from = text.find(start);
    const size_t to = text.find(end);
    if (from == std::string::npos || to == std::string::npos || to < from + start.size())
        return {};
    return text.substr(from + start.size(), to - from - start.size());
}

// Album links of a listing page as the artist download recognises them.
std::vector<std::string> albumLinks(const std::string &page, const std::string &albumPrefix)
{
    std::vector<std::string> links;
    const std::regex href("href=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), href); it != std::sregex_iterator(); ++it) {
        const std::string link = (*it)[1];
        if (link.find(albumPrefix) != 0)
            continue;
        std::string rest = link.substr(albumPrefix.size());
        rest.erase(std::remove(rest.begin(), rest.end(), '/'), rest.end());
        if (!rest.empty() && std::all_of(rest.begin(), rest.end(), ::isdigit))
            links.push_back(link);
    }
    return links;
}

} // namespace

// Every album page carries its title before "(Tavimo)" and one matching row per track, in order.
TEST_F(EmulatorTest, AlbumPagesCarryTitleAndTrackRows)
{
    for (AlbumCase which : {AlbumCase::Plain, AlbumCase::DuplicateSongId, AlbumCase::EqualTitles,
                            AlbumCase::SpecialTitles, AlbumCase::HighRateNotFound, AlbumCase::MissingFiles}) {
        const Album &album = emulator.catalogue().album(which);
        const std::string page = body(ServiceHost::Catalogue, "/subject/" + album.number + "/");
        const std::string title = between(page, "<title>", "</title>");
        EXPECT_EQ(title, "\n        " + album.title + " (Tavimo)\n") << album.number;
        const std::vector<Track> rows = matchedRows(page);
        ASSERT_EQ(rows.size(), album.tracks.size()) << album.number;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].songId, album.tracks[i].songId);
            EXPECT_EQ(rows[i].title, album.tracks[i].title);
        }
    }
}

// The special albums hold what their names promise.
TEST_F(EmulatorTest, SpecialAlbumsHoldTheirCases)
{
    const Catalogue &catalogue = emulator.catalogue();
    const auto &duplicate = catalogue.album(AlbumCase::DuplicateSongId).tracks;
    std::set<std::string> ids;
    for (const Track &track : duplicate)
        ids.insert(track.songId);
    EXPECT_LT(ids.size(), duplicate.size());

    const auto &twins = catalogue.album(AlbumCase::EqualTitles).tracks;
    EXPECT_EQ(twins[0].title, twins[1].title);
    EXPECT_NE(twins[0].songId, twins[1].songId);

    std::string titles;
    for (const Track &track : catalogue.album(AlbumCase::SpecialTitles).tracks)
        titles += track.title;
    for (const char *part : {"&#39;", "/", ":", "?", "."})
        EXPECT_NE(titles.find(part), std::string::npos) << part;

    const Album &noRows = catalogue.album(AlbumCase::NoTrackRows);
    const std::string page = body(ServiceHost::Catalogue, "/subject/" + noRows.number + "/");
    EXPECT_NE(page.find("song-" + noRows.tracks[0].songId), std::string::npos);
    EXPECT_TRUE(matchedRows(page).empty());
}

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

// The artist page has the info marker and the artist's name as its first H1.
TEST_F(EmulatorTest, ArtistPageHasInfoMarkerAndHeading)
{
    for (ArtistCase which : {ArtistCase::Prolific, ArtistCase::EntityName, ArtistCase::CleanedName}) {
        const Artist &artist = emulator.catalogue().artist(which);
        const std::string page = body(ServiceHost::Catalogue, "/musician/" + artist.id + "/");
        EXPECT_NE(page.find("class=\"info\">"), std::string::npos);
        EXPECT_EQ(between(page, "<h1>", "</h1>"), artist.headingHtml);
    }
    EXPECT_EQ(emulator.catalogue().artist(ArtistCase::EntityName).name, "Tom & Jerry Band");
}

// The prolific artist's listing spreads 27 albums over three pages, each album linked twice plus
// once with a query part, and the fourth page keeps the sort marker but links no album.
TEST_F(EmulatorTest, ListingPagesCarryMarkerAndAlbumLinks)
{
    const Artist &artist = emulator.catalogue().artist(ArtistCase::Prolific);
    const std::string prefix = catalogueAddress("/subject/");
    std::vector<std::string> collected;
    for (int start : {0, 10, 20, 30}) {
        const std::string page = body(ServiceHost::Catalogue, "/musician/" + artist.id + "/albums?start=" +
                                                                  std::to_string(start) + "&format=pic&sortby=vote");
        ASSERT_NE(page.find("按评价排序"), std::string::npos) << start;
        const std::vector<std::string> links = albumLinks(page, prefix);
        const size_t albums = start < 20 ? 10 : start == 20 ? 7 : 0;
        EXPECT_EQ(links.size(), albums * 2) << start;
        EXPECT_EQ(countOf(page, "?from=musician_albums"), albums);
        for (size_t i = 0; i < links.size(); i += 2) {
            EXPECT_EQ(links[i], links[i + 1]);
            collected.push_back(links[i]);
        }
    }
    ASSERT_EQ(collected.size(), artist.albumNumbers.size());
    for (size_t i = 0; i < collected.size(); ++i)
        EXPECT_EQ(collected[i], prefix + artist.albumNumbers[i] + "/");
}

// An artist without albums has a listing with the marker and no album link.
TEST_F(EmulatorTest, EmptyListingHasMarkerOnly)
{
    const Artist &artist = emulator.catalogue().artist(ArtistCase::NoAlbums);
    const std::string page =
        body(ServiceHost::Catalogue, "/musician/" + artist.id + "/albums?start=0&format=pic&sortby=vote");
    EXPECT_NE(page.find("按评价排序"), std::string::npos);
    EXPECT_TRUE(albumLinks(page, catalogueAddress("/subject/")).empty());
}

// The search page links matching artists; its first artist link is what the search takes.
TEST_F(EmulatorTest, SearchLinksMatchingArtists)
{
    const auto firstArtistLink = [this](const std::string &query) {
        const std::string page = body(ServiceHost::Catalogue, "/subject_search?search_text=" + query);
        std::smatch match;
        const std::regex pattern(catalogueAddress("/musician/") + "\\d+/", std::regex::icase);
        return std::regex_search(page, match, pattern) ? match.str() : std::string();
    };
    const Artist &prolific = emulator.catalogue().artist(ArtistCase::Prolific);
    EXPECT_EQ(firstArtistLink("lin%20xiao"), catalogueAddress("/musician/" + prolific.id + "/"));
    EXPECT_EQ(firstArtistLink("%E6%9E%97%E6%99%93"), catalogueAddress("/musician/" + prolific.id + "/"));
    EXPECT_EQ(firstArtistLink("nobody-has-this-name"), "");
    EXPECT_EQ(firstArtistLink(""), "");
    const Artist &upper = emulator.catalogue().artist(ArtistCase::UpperCaseSearchLink);
    EXPECT_EQ(firstArtistLink("Shadow"), catalogueAddress("/Musician/" + upper.id + "/"));
}

// Search text comes back escaped, never as markup.
TEST_F(EmulatorTest, SearchEscapesTheQuery)
{
    const std::string page = body(ServiceHost::Catalogue, "/subject_search?search_text=%3Cscript%3Ex");
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;x"), std::string::npos);
}

} // namespace tavimo::emu::test
