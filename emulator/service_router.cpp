#include "emulator/service_router.h"

#include "emulator/html_pages.h"
#include "emulator/http_text.h"
#include "emulator/json_replies.h"

#include <algorithm>
#include <charconv>

namespace tavimo::emu {

namespace {

bool isDigits(const std::string &text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int numberOr(const std::string &text, int fallback)
{
    int value = fallback;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() ? value : fallback;
}

// The path's segments between slashes; empty segments dropped.
std::vector<std::string> segments(const std::string &path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        if (slash > start)
            parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

Reply notFound()
{
    return Reply::html(pages::error(404), 404);
}

Reply redirect(const std::string &location)
{
    Reply reply = Reply::html(
        "<html><body><a href=\"" + htmlEscape(location) + "\">" + htmlEscape(location) + "</a></body></html>\n", 302);
    reply.headers.emplace_back("Location", location);
    return reply;
}

// Only paths of this host are followed after sign-in, never another site.
std::string safeRedirect(const std::string &redir)
{
    if (redir.empty() || redir[0] != '/' || (redir.size() > 1 && (redir[1] == '/' || redir[1] == '\\')))
        return "/mine?type=liked";
    return redir;
}

bool signedIn(const ServiceRequest &request)
{
    return cookieValue(request.cookies, ServiceRouter::kSessionCookie) == ServiceRouter::kSessionValue;
}

} // namespace

ServiceRouter::ServiceRouter(const Catalogue &catalogue)
    : catalogue_(catalogue), mp3Size_(Mp3File::kDefaultSize), likedCount_(static_cast<int>(catalogue.liked().size()))
{
}

void ServiceRouter::resetChannels()
{
    std::lock_guard lock(channelMutex_);
    channelRequests_.clear();
}

Reply ServiceRouter::reply(const ServiceRequest &request)
{
    switch (request.host) {
    case ServiceHost::Radio:
        return radio(request);
    case ServiceHost::Catalogue:
        return catalogue(request);
    case ServiceHost::Audio:
        return audio(request);
    }
    return notFound();
}

Reply ServiceRouter::radio(const ServiceRequest &request)
{
    const QueryItems query = parseQuery(request.query);
    if (request.path == "/")
        return Reply::html(pages::radioHome(request.hosts));
    if (request.path == "/common_login")
        return signIn(request);
    if (request.path == "/mine")
        return queryValue(query, "type") == "liked" ? liked(request) : Reply::html(pages::mine(request.hosts));
    if (request.path == "/j/mine/playlist")
        return playlist(request);
    if (request.path == "/j/explore/hot_channels") {
        return Reply::json(json::hotChannels(catalogue_.channels(), numberOr(queryValue(query, "start"), 0),
                                             numberOr(queryValue(query, "limit"), 20)));
    }
    return notFound();
}

Reply ServiceRouter::signIn(const ServiceRequest &request)
{
    const std::string target = safeRedirect(queryValue(parseQuery(request.query), "redir"));
    if (signedIn(request))
        return redirect(request.hosts.radioAddress(target));
    if (request.method != "POST")
        return Reply::html(pages::signIn(target, ""));
    const QueryItems form = parseQuery(request.body);
    if (queryValue(form, "form_email").empty() || queryValue(form, "form_password").empty())
        return Reply::html(pages::signIn(target, "请输入帐号和密码"));
    Reply reply = redirect(request.hosts.radioAddress(target));
    reply.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + kSessionValue + "; Path=/; HttpOnly");
    return reply;
}

Reply ServiceRouter::liked(const ServiceRequest &request)
{
    if (!signedIn(request))
        return Reply::html(pages::signIn("/mine?type=liked", ""));
    // Beyond the catalogue's own list, further songs repeat its titles.
    const std::vector<Track> &all = catalogue_.liked();
    std::vector<Track> shown;
    // The tracks liked lately come first, the newest at the top.
    for (int i = likedLately_.load(); i > 0; --i)
        shown.push_back(Track{std::to_string(3900000 + i), "新近红心 " + std::to_string(i)});
    for (size_t i = 0; i < static_cast<size_t>(std::max(0, likedCount_.load())); ++i)
        shown.push_back(i < all.size() ? all[i] : Track{std::to_string(3000001 + i), all[i % all.size()].title});
    return Reply::html(
        pages::likedList(shown, numberOr(queryValue(parseQuery(request.query), "start"), 0), request.hosts));
}

Reply ServiceRouter::playlist(const ServiceRequest &request)
{
    const QueryItems query = parseQuery(request.query);
    const std::string context = queryValue(query, "context");
    const size_t seed = context.find("subject_id:");
    if (seed != std::string::npos)
        return Reply::json(json::playlist(catalogue_.albumPlaylist(context.substr(seed + 11)), request.hosts));

    const Channel *channel = catalogue_.findChannel(numberOr(queryValue(query, "channel"), -1));
    if (!channel)
        return Reply::json(json::refusal("wrong channel"));
    int cycle = 0;
    {
        std::lock_guard lock(channelMutex_);
        cycle = channelRequests_[channel->id]++;
    }
    std::vector<PlaylistSong> songs;
    for (const Track &track : catalogue_.channelPlaylist(*channel, cycle))
        songs.push_back({track, std::to_string(2000000 + channel->id), channel->name + " 精选", "Tavimo"});
    return Reply::json(json::playlist(songs, request.hosts));
}

Reply ServiceRouter::catalogue(const ServiceRequest &request)
{
    const std::vector<std::string> parts = segments(request.path);
    const QueryItems query = parseQuery(request.query);
    if (parts.size() == 2 && parts[0] == "subject" && isDigits(parts[1])) {
        const Album *album = catalogue_.findAlbum(parts[1]);
        return album ? Reply::html(pages::album(*album, catalogue_, request.hosts)) : notFound();
    }
    if (parts.size() >= 2 && parts.size() <= 3 && parts[0] == "musician" && isDigits(parts[1])) {
        const Artist *artist = catalogue_.findArtist(parts[1]);
        if (!artist)
            return notFound();
        if (parts.size() == 2)
            return Reply::html(pages::artist(*artist, catalogue_, request.hosts));
        if (parts[2] == "albums") {
            const int start = numberOr(queryValue(query, "start"), 0);
            return Reply::html(pages::albumListing(*artist, start, catalogue_, request.hosts));
        }
        return notFound();
    }
    if (request.path == "/subject_search") {
        const std::string text = queryValue(query, "search_text");
        return Reply::html(pages::search(text, catalogue_.searchArtists(text), catalogue_, request.hosts));
    }
    return notFound();
}

Reply ServiceRouter::audio(const ServiceRequest &request)
{
    static const std::string prefix = "/view/song/small/p";
    if (request.path.compare(0, prefix.size(), prefix) != 0 || request.path.size() < prefix.size() + 4 ||
        request.path.compare(request.path.size() - 4, 4, ".mp3") != 0)
        return notFound();
    std::string songId = request.path.substr(prefix.size(), request.path.size() - prefix.size() - 4);
    const bool highRate = songId.size() > 5 && songId.compare(songId.size() - 5, 5, "_192k") == 0;
    if (highRate)
        songId.resize(songId.size() - 5);
    if (!isDigits(songId))
        return notFound();
    const SongFiles files = catalogue_.songFiles(songId);
    if (files == SongFiles::Missing || (highRate && files == SongFiles::HighRateNotFound))
        return notFound();
    if (highRate && files == SongFiles::HighRateUnavailable)
        return Reply::html(pages::unreachable(request.hosts.audioAddress(request.path)), 404);
    Reply reply;
    reply.contentType = kMp3Type;
    reply.file.emplace(songId, highRate, mp3Size_.load());
    return reply;
}

} // namespace tavimo::emu
