#include "emulator/json_replies.h"

#include "emulator/http_text.h"

#include <algorithm>

namespace tavimo::emu::json {

namespace {

std::string member(const std::string &name, const std::string &value)
{
    return jsonString(name) + ":" + value;
}

std::string song(const PlaylistSong &song, const HostNames &hosts)
{
    const std::string &id = song.track.songId;
    return "{" + member("album", jsonString("/subject/" + song.albumNumber + "/")) + "," +
           member("picture", jsonString(hosts.catalogueAddress("/img/cover" + song.albumNumber + ".jpg"))) + "," +
           member("ssid", jsonString("s" + id)) + "," + member("artist", jsonString(song.artist)) + "," +
           member("url", jsonString(hosts.audioAddress("/view/song/small/p" + id + ".mp3"))) + "," +
           member("company", jsonString("Tavimo Records")) + "," + member("title", jsonString(song.track.title)) + "," +
           member("rating_avg", "4.25") + "," + member("length", "241") + "," + member("subtype", "\"\"") + "," +
           member("public_time", jsonString("2012")) + "," + member("sid", jsonString(id)) + "," +
           member("aid", jsonString(song.albumNumber)) + "," + member("kbps", jsonString("128")) + "," +
           member("albumtitle", jsonString(song.albumTitle)) + "," + member("like", "0") + "}";
}

std::string channel(const Channel &channel)
{
    return "{" + member("intro", jsonString("“" + channel.name + "”的好歌, 一直听下去")) + "," +
           member("name", jsonString(channel.name)) + "," + member("song_num", std::to_string(channel.songNum)) + "," +
           member("banner", jsonString("http://img.tavimo.com/banner/" + std::to_string(channel.id) + ".jpg")) + "," +
           member("hot_songs", "[" + jsonString("热门一") + "," + jsonString("Hot Two") + "]") + "," +
           member("creator", "{" + member("name", jsonString("Tavimo")) + "," + member("id", "1") + "}") + "," +
           member("id", std::to_string(channel.id)) + "}";
}

} // namespace

std::string playlist(const std::vector<PlaylistSong> &songs, const HostNames &hosts)
{
    std::string text = "{\"r\":0,\"is_show_quick_start\":0,\"song\":[";
    for (size_t i = 0; i < songs.size(); ++i)
        text += (i ? "," : "") + song(songs[i], hosts);
    return text + "]}";
}

std::string refusal(const std::string &reason)
{
    return "{\"r\":1,\"err\":" + jsonString(reason) + "}";
}

std::string hotChannels(const std::vector<Channel> &channels, int start, int limit)
{
    const int count = static_cast<int>(channels.size());
    std::string text = "{\"status\":true,\"data\":{\"total\":" + std::to_string(count) + ",\"channels\":[";
    const int end = std::min(count, start + std::max(limit, 0));
    for (int i = std::max(start, 0); i < end; ++i)
        text += (i > std::max(start, 0) ? "," : "") + channel(channels[static_cast<size_t>(i)]);
    return text + "]}}";
}

} // namespace tavimo::emu::json
