#include "emulator/catalogue.h"

#include <iterator>

// The sample content of the catalogue: fixed, so that tests can name what they expect.

namespace tavimo::emu {

namespace {

std::vector<Track> numberedTracks(int firstSongId, std::initializer_list<const char *> titles)
{
    std::vector<Track> tracks;
    int songId = firstSongId;
    for (const char *title : titles)
        tracks.push_back({std::to_string(songId++), title});
    return tracks;
}

Album makeAlbum(std::string number, std::string title, std::string artistId, std::vector<Track> tracks)
{
    Album album;
    album.number = std::move(number);
    album.title = std::move(title);
    album.artistId = std::move(artistId);
    album.tracks = std::move(tracks);
    return album;
}

const char *const kPlainArtist = "100001";
const char *const kProlificArtist = "100002";
const char *const kEntityArtist = "100004";
const char *const kCleanedArtist = "100005";
const char *const kUpperCaseArtist = "100006";

constexpr int kProlificAlbumCount = 27;

} // namespace

void Catalogue::buildAlbums()
{
    addAlbum(AlbumCase::Plain,
             makeAlbum("1400101", "晴天 Sunny Day", kPlainArtist,
                       numberedTracks(1770101, {"晴天", "Morning Song 晨曲", "七里香", "River Flows", "远方的信"})));

    Album duplicate = makeAlbum("1400102", "重复的歌 Echoes", kEntityArtist,
                                numberedTracks(1770201, {"回声 Echo", "第二首 Second", "余音 Afterglow"}));
    duplicate.tracks.insert(duplicate.tracks.begin() + 2, Track{"1770201", "回声 Echo (再次)"});
    addAlbum(AlbumCase::DuplicateSongId, std::move(duplicate));

    addAlbum(AlbumCase::EqualTitles,
             makeAlbum("1400103", "同名 Twins", kPlainArtist,
                       numberedTracks(1770301, {"双子 Twin", "双子 Twin", "独白 Alone"})));

    addAlbum(AlbumCase::SpecialTitles,
             makeAlbum("1400104", "Vol. 2: Live?/Best", kPlainArtist,
                       numberedTracks(1770401, {"Don&#39;t Stop", "AC/DC: Back?", "Vol. 2", "Rock &#39;n&#39; Roll",
                                                "夜.曲:终章?"})));

    Album notFound = makeAlbum("1400105", "失落的高音 Lost Highs", kEntityArtist,
                               numberedTracks(1770501, {"低音 Low", "回响 Reverb"}));
    notFound.files = SongFiles::HighRateNotFound;
    addAlbum(AlbumCase::HighRateNotFound, std::move(notFound));

    Album unavailable = makeAlbum("1400106", "无法获取 Unreachable", kCleanedArtist,
                                  numberedTracks(1770601, {"远山 Far Hills", "近水 Near Water"}));
    unavailable.files = SongFiles::HighRateUnavailable;
    addAlbum(AlbumCase::HighRateUnavailable, std::move(unavailable));

    Album noRows = makeAlbum("1400107", "空表 Empty Table", kCleanedArtist,
                             numberedTracks(1770701, {"看不见 Unseen", "听不到 Unheard"}));
    noRows.rowsMatch = false;
    addAlbum(AlbumCase::NoTrackRows, std::move(noRows));

    addAlbum(AlbumCase::MissingFiles,
             makeAlbum("1400108", "缺失 Missing", kCleanedArtist,
                       numberedTracks(1770801, {"在这里 Here", "不在 Gone", "还在 Still Here"})));
    songFiles_["1770802"] = SongFiles::Missing;

    std::vector<Track> twenty;
    for (int k = 1; k <= 20; ++k)
        twenty.push_back({std::to_string(1770900 + k), "Track " + std::to_string(k) + " 第" + std::to_string(k) + "首"});
    addAlbum(AlbumCase::Twenty, makeAlbum("1400109", "二十首 Twenty", kPlainArtist, std::move(twenty)));

    for (const Album &album : albums_) {
        if (album.files == SongFiles::Served)
            continue;
        for (const Track &track : album.tracks)
            songFiles_[track.songId] = album.files;
    }
}

void Catalogue::buildArtists()
{
    Artist prolific{kProlificArtist, "林晓 Lin Xiao", "林晓 Lin Xiao", {}};
    for (int k = 1; k <= kProlificAlbumCount; ++k) {
        const std::string number = std::to_string(1400200 + k);
        const std::string title = (k % 2 ? "光阴 Chapter " : "第") + std::to_string(k) + (k % 2 ? "" : "章: 夜航");
        const int firstSong = 1780000 + k * 10;
        albums_.push_back(makeAlbum(number, title, kProlificArtist,
                                    {{std::to_string(firstSong), "序曲 Overture " + std::to_string(k)},
                                     {std::to_string(firstSong + 1), "尾声 Coda " + std::to_string(k)}}));
        albumByNumber_[number] = albums_.size() - 1;
        prolific.albumNumbers.push_back(number);
    }
    addArtist(ArtistCase::Prolific, std::move(prolific));

    addArtist(ArtistCase::Plain,
              {kPlainArtist, "晓月乐队 Moon Band", "晓月乐队 Moon Band",
               {album(AlbumCase::Plain).number, album(AlbumCase::EqualTitles).number,
                album(AlbumCase::SpecialTitles).number}});
    addArtist(ArtistCase::NoAlbums, {"100003", "无名歌手 Nameless", "无名歌手 Nameless", {}});
    addArtist(ArtistCase::EntityName,
              {kEntityArtist, "Tom & Jerry Band", "Tom &amp; Jerry Band",
               {album(AlbumCase::DuplicateSongId).number, album(AlbumCase::HighRateNotFound).number}});
    addArtist(ArtistCase::CleanedName,
              {kCleanedArtist, "Mr. Q / 夜行者: Live?", "Mr. Q / 夜行者: Live?",
               {album(AlbumCase::HighRateUnavailable).number, album(AlbumCase::NoTrackRows).number,
                album(AlbumCase::MissingFiles).number}});

    albums_.push_back(makeAlbum("1400301", "影子 Shadows", kUpperCaseArtist,
                                numberedTracks(1790001, {"影 Shade", "光 Light"})));
    albumByNumber_["1400301"] = albums_.size() - 1;
    addArtist(ArtistCase::UpperCaseSearchLink, {kUpperCaseArtist, "Shadow Case 影子", "Shadow Case 影子", {"1400301"}});
}

void Catalogue::buildChannels()
{
    const char *const genres[] = {"华语",        "欧美 Western", "粤语",        "轻音乐",      "爵士 Jazz",
                                  "摇滚/Rock",   "民谣 Folk",    "电子: Electronic", "古典 Classical", "日语",
                                  "韩语",        "影视原声",     "R&B",         "说唱 Hip-Hop", "新世纪 New Age",
                                  "What? 电台", "乡村 Country", "雷鬼 Reggae", "咖啡馆 Café", "Lo-Fi"};
    const int genreCount = static_cast<int>(std::size(genres));
    for (int i = 0; i < kChannelCount; ++i) {
        Channel channel;
        channel.id = 101 + i;
        channel.name = std::string(genres[i % genreCount]) + " 兆赫 " + std::to_string(i + 1);
        channel.songNum = i == 0 ? 123 : 20 + (i * 53) % 480;
        channel.freshCycles = 1 + i % 3;
        channels_.push_back(std::move(channel));
    }
}

void Catalogue::buildLiked()
{
    // Twenty titles used over and over: each comes two or three times, and two differ only in case.
    const char *const titles[] = {"晴天",     "Yesterday Once More", "夜曲",          "Hello",       "后来",
                                  "Don&#39;t Stop", "稻香",        "AC/DC: Live?",  "Vol. 2",      "七里香",
                                  "Let It Be", "hello",              "红豆",          "Hotel California", "海阔天空",
                                  "Rock &#39;n&#39; Roll", "知足",   "Wonderwall",    "平凡之路",    "Fly Me to the Moon"};
    const size_t titleCount = std::size(titles);
    for (size_t i = 0; i < 44; ++i)
        liked_.push_back({std::to_string(3000001 + i), titles[i % titleCount]});
}

} // namespace tavimo::emu
