#include "emulator_fixture.h"

#include <set>

namespace tavimo::emu::test {

namespace {

const std::string kTitleMarker = "<p class=\"song_title\">";
const std::string kIdMarker = "<div class=\"action\" sid=\"";

// The liked tracks of one list page, read with the liked page's markers.
std::vector<Track> likedOnPage(const std::string &page)
{
    std::vector<Track> tracks;
    size_t at = 0;
    while ((at = page.find(kTitleMarker, at)) != std::string::npos) {
        const size_t titleStart = at + kTitleMarker.size();
        const std::string title = page.substr(titleStart, page.find("</p>", titleStart) - titleStart);
        const size_t idStart = page.find(kIdMarker, titleStart) + kIdMarker.size();
        tracks.push_back({page.substr(idStart, page.find("\">", idStart) - idStart), title});
        at = idStart;
    }
    return tracks;
}

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

// A channel's playlists bring new titles for its fresh cycles, then only titles already heard.
TEST_F(EmulatorTest, ChannelPlaylistsRunOutOfNewTitles)
{
    const Catalogue &catalogue = emulator.catalogue();
    for (int index : {0, 1, 2}) {
        const Channel &channel = catalogue.channels()[static_cast<size_t>(index)];
        std::set<std::string> seen;
        int lastFresh = -1;
        for (int cycle = 0; cycle < channel.freshCycles + 4; ++cycle) {
            const std::string reply = body(ServiceHost::Radio, "/j/mine/playlist?from=mainsite&type=n&channel=" +
                                                                   std::to_string(channel.id));
            ASSERT_NE(reply.find("\"r\":0"), std::string::npos);
            const std::vector<std::string> titles = memberValues(reply, "title");
            EXPECT_EQ(titles.size(), size_t(Catalogue::kChannelPlaylistSize));
            if (cycle == 0) {
                EXPECT_EQ(titles.front(), titles.back()); // one title twice in one reply
            }
            const size_t before = seen.size();
            seen.insert(titles.begin(), titles.end());
            if (seen.size() > before)
                lastFresh = cycle;
        }
        EXPECT_EQ(lastFresh, channel.freshCycles - 1) << channel.id;
        EXPECT_EQ(seen.size(), catalogue.channelTitles(channel).size());
    }
    // Counting starts again after a reset.
    emulator.resetChannels();
    const Channel &first = catalogue.channels().front();
    const std::string reply = body(ServiceHost::Radio, "/j/mine/playlist?from=mainsite&type=n&channel=" +
                                                           std::to_string(first.id));
    EXPECT_EQ(memberValues(reply, "title").front(), catalogue.channelTitles(first).front());
    EXPECT_EQ(body(ServiceHost::Radio, "/j/mine/playlist?from=mainsite&type=n&channel=7").find("\"r\":0"),
              std::string::npos);
}

// The hot-channel interface lists 400 channels in two pages of 200, each with name, song_num and id.
TEST_F(EmulatorTest, HotChannelsComeInTwoPages)
{
    std::vector<std::string> ids;
    for (int start : {0, 200}) {
        const std::string reply =
            body(ServiceHost::Radio, "/j/explore/hot_channels?start=" + std::to_string(start) + "&limit=200");
        EXPECT_NE(reply.find("\"data\":{"), std::string::npos);
        EXPECT_NE(reply.find("\"channels\":["), std::string::npos);
        EXPECT_EQ(memberValues(reply, "name").size(), 400u); // each channel's name and its creator's
        EXPECT_EQ(memberValues(reply, "song_num").size(), 200u);
        for (const std::string &id : memberValues(reply, "id"))
            if (id != "1")
                ids.push_back(id);
    }
    ASSERT_EQ(ids.size(), 400u);
    EXPECT_EQ(ids.front(), std::to_string(emulator.catalogue().channels().front().id));
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 400u);
    EXPECT_EQ(emulator.catalogue().channels().front().songNum, 123);
    EXPECT_NE(body(ServiceHost::Radio, "/j/explore/hot_channels?start=400&limit=200").find("\"channels\":[]"),
              std::string::npos);
}

// The sign-in form, once submitted, sets the session cookie and sends the browser to the liked page.
TEST_F(EmulatorTest, SignInSetsCookieAndRedirects)
{
    httplib::Client radio = client(ServiceHost::Radio);
    const httplib::Result form = radio.Get("/common_login?redir=/mine?type=liked");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->status, 200);
    EXPECT_NE(form->body.find("name=\"form_password\""), std::string::npos);
    EXPECT_EQ(form->body.find(kTitleMarker), std::string::npos);
    // The second "?" of the target reaches the service as sent.
    EXPECT_EQ(emulator.requestLog().at(0).target, "/common_login?redir=/mine?type=liked");

    const httplib::Result refused = radio.Post("/common_login?redir=/mine?type=liked", "form_email=a%40b.c",
                                               "application/x-www-form-urlencoded");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 200);
    EXPECT_FALSE(refused->has_header("Set-Cookie"));

    const httplib::Result signedIn = radio.Post("/common_login?redir=%2Fmine%3Ftype%3Dliked",
                                                "form_email=a%40b.c&form_password=secret",
                                                "application/x-www-form-urlencoded");
    ASSERT_TRUE(signedIn);
    EXPECT_EQ(signedIn->status, 302);
    EXPECT_EQ(signedIn->get_header_value("Location"), emulator.hostNames().radioAddress("/mine?type=liked"));
    EXPECT_EQ(signedIn->get_header_value("Set-Cookie").rfind(Emulator::signInCookie() + ";", 0), 0u);

    // With the cookie the sign-in page sends the browser on at once.
    const httplib::Result again = radio.Get("/common_login?redir=/mine?type=liked", {{"Cookie", Emulator::signInCookie()}});
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 302);
    EXPECT_EQ(again->get_header_value("Location"), emulator.hostNames().radioAddress("/mine?type=liked"));
}

// A redirect target naming another site is replaced by the liked page.
TEST_F(EmulatorTest, SignInNeverRedirectsAway)
{
    const httplib::Result result =
        get(ServiceHost::Radio, "/common_login?redir=//evil.example/", {{"Cookie", Emulator::signInCookie()}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Location"), emulator.hostNames().radioAddress("/mine?type=liked"));
}

// Signed in, the liked list comes 15 a page with its markers; signed out, the sign-in page comes instead.
TEST_F(EmulatorTest, LikedListNeedsTheCookie)
{
    const httplib::Headers cookie{{"Cookie", "bid=x; " + Emulator::signInCookie()}};
    std::vector<Track> all;
    for (int start = 0;; start += Catalogue::kLikedPageSize) {
        const std::vector<Track> page =
            likedOnPage(body(ServiceHost::Radio, "/mine?start=" + std::to_string(start) + "&type=liked", cookie));
        if (page.empty())
            break;
        EXPECT_LE(page.size(), size_t(Catalogue::kLikedPageSize));
        all.insert(all.end(), page.begin(), page.end());
    }
    const std::vector<Track> &liked = emulator.catalogue().liked();
    ASSERT_EQ(all.size(), liked.size());
    EXPECT_GE(all.size(), 40u);
    std::set<std::string> titles;
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].title, liked[i].title);
        EXPECT_EQ(all[i].songId, liked[i].songId);
        titles.insert(all[i].title);
    }
    EXPECT_LT(titles.size(), all.size());

    EXPECT_EQ(likedOnPage(body(ServiceHost::Radio, "/mine?type=liked", cookie)).size(), 15u);
    const std::string signedOut = body(ServiceHost::Radio, "/mine?start=0&type=liked");
    EXPECT_EQ(signedOut.find(kTitleMarker), std::string::npos);
    EXPECT_NE(signedOut.find("form_password"), std::string::npos);

    emulator.setLikedCount(0);
    EXPECT_TRUE(likedOnPage(body(ServiceHost::Radio, "/mine?start=0&type=liked", cookie)).empty());
}

// The radio's root and "/mine" answer with ordinary pages.
TEST_F(EmulatorTest, RadioRootAndMineAnswer)
{
    for (const char *target : {"/", "/mine"}) {
        const httplib::Result result = get(ServiceHost::Radio, target);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=utf-8");
    }
}

} // namespace tavimo::emu::test
