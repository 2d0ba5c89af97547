#pragma once

#include <map>
#include <string>
#include <vector>

namespace tavimo::emu {

// One track as the catalogue lists it. Titles are stored as the pages carry
// them, HTML character references included.
struct Track {
    std::string songId;
    std::string title;
};

// How the file host answers for a song's files.
enum class SongFiles {
    Served,              // both bit rates exist
    HighRateNotFound,    // the _192k file answers with a "404 Not Found" page
    HighRateUnavailable, // the _192k file answers with the "URL cannot be fetched" page
    Missing,             // neither file exists
};

enum class AlbumCase {
    Plain,
    DuplicateSongId,     // the table lists one song identifier twice
    EqualTitles,         // two songs share one title
    SpecialTitles,       // titles with "&#39;", "/", ":", "?", "."
    HighRateNotFound,
    HighRateUnavailable,
    NoTrackRows,         // a table whose rows do not have the track-row layout
    MissingFiles,        // one track has no file at any bit rate
    Twenty,              // twenty plainly named tracks, for timing whole albums
};

struct Album {
    std::string number;
    std::string title;
    std::string artistId;
    std::vector<Track> tracks;
    SongFiles files = SongFiles::Served;
    bool rowsMatch = true;
};

enum class ArtistCase {
    Prolific,            // 27 albums: three listing pages and an empty fourth
    Plain,
    NoAlbums,
    EntityName,          // the page heading holds "&amp;"
    CleanedName,         // the name holds characters that file names cannot
    UpperCaseSearchLink, // its search page links it first with a capitalised path
};

struct Artist {
    std::string id;
    std::string name;        // as the page's heading shows it (decoded text)
    std::string headingHtml; // the heading's inner HTML
    std::vector<std::string> albumNumbers;
};

// A song of a playlist reply, with the album it belongs to.
struct PlaylistSong {
    Track track;
    std::string albumNumber;
    std::string albumTitle;
    std::string artist;
};

struct Channel {
    int id = 0;
    std::string name;
    int songNum = 0;
    int freshCycles = 1; // playlists that still bring new titles
};

// The deterministic sample data every page of the emulator is built from.
class Catalogue {
public:
    static constexpr int kListingPageSize = 10;
    static constexpr int kLikedPageSize = 15;
    static constexpr int kChannelCount = 400;
    static constexpr int kChannelPlaylistSize = 5;

    Catalogue();

    const Album &album(AlbumCase which) const;
    const Album *findAlbum(const std::string &number) const;
    const std::vector<Album> &albums() const { return albums_; }

    const Artist &artist(ArtistCase which) const;
    const Artist *findArtist(const std::string &id) const;
    const std::vector<Artist> &artists() const { return artists_; }
    // Artists whose name holds the text (ASCII letters compared without case).
    std::vector<const Artist *> searchArtists(const std::string &text) const;

    const std::vector<Channel> &channels() const { return channels_; }
    const Channel *findChannel(int id) const;
    // The playlist seeded with an album: some of its tracks among songs of other
    // albums (only songs of other albums when the number is unknown).
    std::vector<PlaylistSong> albumPlaylist(const std::string &number) const;
    // The reply to the channel's playlist request number `cycle` (from 0).
    std::vector<Track> channelPlaylist(const Channel &channel, int cycle) const;
    // Every distinct title the channel's playlists ever bring, first seen first.
    std::vector<std::string> channelTitles(const Channel &channel) const;

    const std::vector<Track> &liked() const { return liked_; }

    SongFiles songFiles(const std::string &songId) const;

    // Entries with whatever names a test needs, hostile ones included, served
    // like the built-in ones. Not while requests are being answered.
    const Album &addExtraAlbum(const std::string &title, const std::vector<std::string> &trackTitles);
    const Artist &addExtraArtist(const std::string &name, const std::vector<std::string> &albumNumbers);
    void renameChannel(size_t position, const std::string &name);
    // The first liked tracks take these titles, in order.
    void retitleLiked(const std::vector<std::string> &titles);
    std::string artistNameOf(const Album &album) const;

private:
    void addAlbum(AlbumCase which, Album album);
    void addArtist(ArtistCase which, Artist artist);
    void buildAlbums();
    void buildArtists();
    void buildChannels();
    void buildLiked();

    std::vector<Album> albums_;
    std::vector<Artist> artists_;
    std::vector<Channel> channels_;
    std::vector<Track> liked_;
    std::map<AlbumCase, size_t> albumCases_;
    std::map<ArtistCase, size_t> artistCases_;
    std::map<std::string, size_t> albumByNumber_;
    std::map<std::string, size_t> artistById_;
    std::map<std::string, SongFiles> songFiles_;
};

} // namespace tavimo::emu
