#include "emulator_fixture.h"

namespace tavimo::emu::test {

namespace {

// The values of one member in every element of a flat reply, in order.
std::vector<std::string> memberValues(const std::string &reply, const std::string &name)
{
    std::vector<std::string> values;
    const std::string key = "\"" + name + "\":";
    for (size_t at = reply.find(key); at != std::string::npos; at = reply.find(key, at + 1)) {
        size_t start = at + key.size();
        const bool quoted = reply[start] == '"';
        start += quoted ? 1 : 0;
        size_t end = start;
        while (end < reply.size() && (quoted ? reply[end] != '"' || reply[end - 1] == '\\' : reply[end] != ',' &&
                                                                                                reply[end] != '}'))
            ++end;
        values.push_back(reply.substr(start, end - start));
    }
    return values;
}

} // namespace

// The album-seeded playlist is a valid reply holding the album's tracks among others.
TEST_F(EmulatorTest, AlbumPlaylistHoldsAlbumTracks)
{
    const Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const std::string reply = body(ServiceHost::Radio, "/j/mine/playlist?type=n&h=&channel=0&context=channel:0|"
                                                       "subject_id:" + album.number + "&from=mainsite");
    EXPECT_EQ(reply.rfind("{\"r\":0,", 0), 0u);
    const std::vector<std::string> albums = memberValues(reply, "album");
    const std::vector<std::string> titles = memberValues(reply, "title");
    const std::vector<std::string> urls = memberValues(reply, "url");
    ASSERT_EQ(albums.size(), titles.size());
    ASSERT_EQ(urls.size(), titles.size());
    EXPECT_EQ(memberValues(reply, "albumtitle").size(), titles.size());
    size_t own = 0;
    for (size_t i = 0; i < albums.size(); ++i) {
        if (albums[i] == "\\/subject\\/" + album.number + "\\/") {
            EXPECT_EQ(titles[i], album.tracks[own++].title);
        }
    }
    EXPECT_EQ(own, 4u); // of five: the reply holds only some of the album
    EXPECT_NE(reply.find("subject\\/" + album.number + "9\\/"), std::string::npos);
    EXPECT_NE(urls[0].find("\\/view\\/song\\/small\\/p" + album.tracks[0].songId + ".mp3"), std::string::npos);

    // The encoded form of the same query gives the same reply.
    EXPECT_EQ(body(ServiceHost::Radio, "/j/mine/playlist?type=n&h=&channel=0&context=channel%3A0%7Csubject_id%3A" +
                                           album.number + "&from=mainsite"),
              reply);
}

// A channel's first playlist holds one title twice, for the download to
// take once; an unknown channel has no playlist. (How the cycles run out of
// new titles shows in the channel window's downloads.)
TEST_F(EmulatorTest, ChannelPlaylistsRepeatTitles)
{
    const Channel &channel = emulator.catalogue().channels().front();
    const std::string reply = body(ServiceHost::Radio, "/j/mine/playlist?from=mainsite&type=n&channel=" + std::to_string(channel.id));
    const std::vector<std::string> titles = memberValues(reply, "title");
    ASSERT_EQ(titles.size(), size_t(Catalogue::kChannelPlaylistSize));
    EXPECT_EQ(titles.front(), titles.back());
    EXPECT_EQ(body(ServiceHost::Radio, "/j/mine/playlist?from=mainsite&type=n&channel=7").find("\"r\":0"),
              std::string::npos);
}

// A sign-in without the password sets no cookie; with the cookie the sign-in
// page sends the browser on to the liked page at once, never to another
// site. (Signing in shows in the liked window's runs.)
TEST_F(EmulatorTest, SignInRefusesAndRedirectsOnlyHome)
{
    httplib::Client radio = client(ServiceHost::Radio);
    const httplib::Result refused = radio.Post("/common_login?redir=/mine?type=liked", "form_email=a%40b.c",
                                               "application/x-www-form-urlencoded");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 200);
    EXPECT_FALSE(refused->has_header("Set-Cookie"));

    const httplib::Result again =
        radio.Get("/common_login?redir=//evil.example/", {{"Cookie", Emulator::signInCookie()}});
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 302);
    EXPECT_EQ(again->get_header_value("Location"), emulator.hostNames().radioAddress("/mine?type=liked"));
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

// The prolific artist's listing spreads 27 albums over three pages in order, each album linked twice
// plus once with a query string, and the fourth page keeps the sort marker but links no album.
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
