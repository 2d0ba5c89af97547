#include "emulator/catalogue.h"

namespace tavimo::emu {

namespace {

// Numbers far from the built-in sample data.
constexpr int kFirstExtraAlbum = 1900001;
constexpr int kFirstExtraSong = 1990001;
constexpr int kFirstExtraArtist = 190001;

} // namespace

const Album &Catalogue::addExtraAlbum(const std::string &title, const std::vector<std::string> &trackTitles)
{
    Album album;
    album.number = std::to_string(kFirstExtraAlbum + static_cast<int>(albums_.size()));
    album.title = title;
    // Past every track so far, so identifiers never repeat.
    int songId = kFirstExtraSong;
    for (const Album &existing : albums_)
        songId += static_cast<int>(existing.tracks.size());
    for (const std::string &trackTitle : trackTitles)
        album.tracks.push_back({std::to_string(songId++), trackTitle});
    albumByNumber_[album.number] = albums_.size();
    albums_.push_back(std::move(album));
    return albums_.back();
}

const Artist &Catalogue::addExtraArtist(const std::string &name, const std::vector<std::string> &albumNumbers)
{
    Artist artist;
    artist.id = std::to_string(kFirstExtraArtist + static_cast<int>(artists_.size()));
    artist.name = name;
    artist.headingHtml = name;
    artist.albumNumbers = albumNumbers;
    for (const std::string &number : albumNumbers) {
        auto found = albumByNumber_.find(number);
        if (found != albumByNumber_.end())
            albums_[found->second].artistId = artist.id;
    }
    artistById_[artist.id] = artists_.size();
    artists_.push_back(std::move(artist));
    return artists_.back();
}

void Catalogue::renameChannel(size_t position, const std::string &name)
{
    if (position < channels_.size())
        channels_[position].name = name;
}

void Catalogue::retitleLiked(const std::vector<std::string> &titles)
{
    for (size_t i = 0; i < titles.size() && i < liked_.size(); ++i)
        liked_[i].title = titles[i];
}

} // namespace tavimo::emu
