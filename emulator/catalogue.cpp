#include "emulator/catalogue.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace tavimo::emu {

namespace {

std::string asciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Titles of a channel's tracks: a word per position, numbered so that they stay distinct.
const char *const kChannelWords[] = {"夜空", "Morning Rain", "海边", "City Lights", "回忆", "Blue Train",
                                     "远方", "Paper Moon", "星光", "Slow Dance", "故乡", "Northern Wind"};

Track channelTrack(int channelIndex, int position)
{
    const int wordCount = static_cast<int>(std::size(kChannelWords));
    return {std::to_string(5000000 + channelIndex * 100 + position),
            std::string(kChannelWords[(channelIndex + position) % wordCount]) + " " + std::to_string(position + 1)};
}

} // namespace

Catalogue::Catalogue()
{
    buildAlbums();
    buildArtists();
    buildChannels();
    buildLiked();
}

void Catalogue::addAlbum(AlbumCase which, Album album)
{
    albumCases_[which] = albums_.size();
    albumByNumber_[album.number] = albums_.size();
    albums_.push_back(std::move(album));
}

void Catalogue::addArtist(ArtistCase which, Artist artist)
{
    artistCases_[which] = artists_.size();
    artistById_[artist.id] = artists_.size();
    artists_.push_back(std::move(artist));
}

const Album &Catalogue::album(AlbumCase which) const
{
    return albums_.at(albumCases_.at(which));
}

const Album *Catalogue::findAlbum(const std::string &number) const
{
    const auto found = albumByNumber_.find(number);
    return found == albumByNumber_.end() ? nullptr : &albums_[found->second];
}

const Artist &Catalogue::artist(ArtistCase which) const
{
    return artists_.at(artistCases_.at(which));
}

const Artist *Catalogue::findArtist(const std::string &id) const
{
    const auto found = artistById_.find(id);
    return found == artistById_.end() ? nullptr : &artists_[found->second];
}

std::vector<const Artist *> Catalogue::searchArtists(const std::string &text) const
{
    std::vector<const Artist *> found;
    if (text.empty())
        return found;
    const std::string wanted = asciiLower(text);
    for (const Artist &artist : artists_) {
        if (asciiLower(artist.name).find(wanted) != std::string::npos)
            found.push_back(&artist);
    }
    return found;
}

const Channel *Catalogue::findChannel(int id) const
{
    const int index = id - channels_.front().id;
    if (index < 0 || index >= static_cast<int>(channels_.size()))
        return nullptr;
    return &channels_[static_cast<size_t>(index)];
}

std::vector<Track> Catalogue::channelPlaylist(const Channel &channel, int cycle) const
{
    const int index = channel.id - channels_.front().id;
    const int fresh = kChannelPlaylistSize - 1;
    std::vector<Track> songs;
    if (cycle < channel.freshCycles) {
        for (int i = 0; i < fresh; ++i)
            songs.push_back(channelTrack(index, cycle * fresh + i));
        if (cycle == 0) {
            // A second song under the first song's title, in the same reply.
            Track twin = songs.front();
            twin.songId = std::to_string(5000000 + index * 100 + 99);
            songs.push_back(twin);
        } else {
            songs.push_back(channelTrack(index, (cycle - 1) * fresh));
        }
        return songs;
    }
    const int poolSize = channel.freshCycles * fresh;
    for (int i = 0; i < kChannelPlaylistSize; ++i)
        songs.push_back(channelTrack(index, (cycle + i) % poolSize));
    return songs;
}

std::vector<std::string> Catalogue::channelTitles(const Channel &channel) const
{
    const int index = channel.id - channels_.front().id;
    std::vector<std::string> titles;
    for (int position = 0; position < channel.freshCycles * (kChannelPlaylistSize - 1); ++position)
        titles.push_back(channelTrack(index, position).title);
    return titles;
}

std::vector<PlaylistSong> Catalogue::albumPlaylist(const std::string &number) const
{
    const Album &stranger = albums_.at(albumByNumber_.at(artist(ArtistCase::Prolific).albumNumbers.front()));
    const auto strangerSong = [&](size_t i) {
        return PlaylistSong{stranger.tracks.at(i), stranger.number, stranger.title, artistNameOf(stranger)};
    };
    const Album *seed = findAlbum(number);
    if (!seed || seed->number == stranger.number)
        return {strangerSong(0), strangerSong(1)};

    std::vector<PlaylistSong> songs;
    const size_t kept = std::min<size_t>(seed->tracks.size(), 4);
    for (size_t i = 0; i < kept; ++i) {
        songs.push_back({seed->tracks[i], seed->number, seed->title, artistNameOf(*seed)});
        if (i == 0)
            songs.push_back(strangerSong(0));
    }
    if (seed == &album(AlbumCase::Plain)) {
        // An album whose number starts with the seed's number.
        songs.push_back({{"1999999", "邻居专辑的歌 Neighbour Song"}, number + "9", "邻居专辑 Neighbour", "邻居"});
    }
    return songs;
}

SongFiles Catalogue::songFiles(const std::string &songId) const
{
    const auto found = songFiles_.find(songId);
    return found == songFiles_.end() ? SongFiles::Served : found->second;
}

std::string Catalogue::artistNameOf(const Album &album) const
{
    const Artist *artist = findArtist(album.artistId);
    return artist ? artist->name : std::string();
}

} // namespace tavimo::emu
