// Reads a 60,000-track playlist reply and the 400-channel catalogue reply,
// as the service sends them, with ParseJsonUtf8, nlohmann::json and
// QJsonDocument; prints one line per reply and reader: "reply reader MB/s".
#include "emulator/catalogue.h"
#include "emulator/json_replies.h"
#include "parse/json.h"

#include <nlohmann/json.hpp>

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kPlaylistTracks = 60000;

std::string PlaylistReply()
{
    const tavimo::emu::HostNames hosts{"radio.tavimo.com", "music.tavimo.com", "audio.tavimo.com"};
    const char *const titles[] = {"晴天", "Morning Song 晨曲", "Don't \"Stop\" \\ Now", "夜曲: 终章?", "Lo-Fi ☕ 咖啡"};
    std::vector<tavimo::emu::PlaylistSong> songs;
    songs.reserve(kPlaylistTracks);
    for (int i = 0; i < kPlaylistTracks; ++i) {
        const std::string album = std::to_string(1400000 + i / 12);
        songs.push_back({{std::to_string(1700000 + i), std::string(titles[i % 5]) + " " + std::to_string(i)},
                         album,
                         "专辑 Album " + album,
                         "歌手 Artist " + std::to_string(i % 997)});
    }
    return tavimo::emu::json::playlist(songs, hosts);
}

// Best of several timed runs, in megabytes per second.
double Throughput(size_t bytes, int runs, const std::function<bool()> &parse)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!parse()) {
            std::fprintf(stderr, "a reader rejected the reply\n");
            return 0;
        }
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return bytes / 1e6 / best;
}

void Compare(const char *name, const QByteArray &bytes, int runs)
{
    const std::string text = bytes.toStdString();
    const double ours = Throughput(bytes.size(), runs, [&] { return tavimo::ParseJsonUtf8(bytes).isObject(); });
    const double nlohmannRate = Throughput(bytes.size(), runs, [&] { return nlohmann::json::parse(text).is_object(); });
    const double qt = Throughput(bytes.size(), runs, [&] { return QJsonDocument::fromJson(bytes).isObject(); });
    std::printf("%s %lld ParseJsonUtf8 %.1f\n", name, static_cast<long long>(bytes.size()), ours);
    std::printf("%s %lld nlohmann %.1f\n", name, static_cast<long long>(bytes.size()), nlohmannRate);
    std::printf("%s %lld QJsonDocument %.1f\n", name, static_cast<long long>(bytes.size()), qt);
}

} // namespace

int main()
{
    const tavimo::emu::Catalogue catalogue;
    const std::string channels = tavimo::emu::json::hotChannels(catalogue.channels(), 0, tavimo::emu::Catalogue::kChannelCount);
    Compare("playlist", QByteArray::fromStdString(PlaylistReply()), 3);
    Compare("channels", QByteArray::fromStdString(channels), 50);
    return 0;
}
