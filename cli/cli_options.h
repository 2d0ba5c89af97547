#pragma once

#include <QString>
#include <QStringList>

namespace tavimo::cli {

// The workflow a run of tavimo-dl drives.
enum class Command { None, Album, AlbumPlaylist, ArtistPage, ArtistName, Channels, Channel, Liked };

// Everything the command line asked for. error is set (and command is None)
// when the arguments cannot be used; answer when --help or --version asked
// for a text instead of a run.
struct CliOptions {
    Command command = Command::None;
    QString argument; // the address, name or channel identifier
    QString cookiesFile;
    QString root;
    bool demo = false;
    bool quiet = false;
    int jobs = 1;
    int retries = 3;       // further attempts at a track that failed for a passing reason
    qint64 rateLimit = 0;  // bytes a second per download; 0 for no limit
    bool list = false;     // print the tracks instead of downloading them
    bool json = false;     // one JSON object per track and for the summary on standard output
    bool tags = false;     // write ID3v2.4 tags from the service's metadata
    QString answer;
    QString error;
};

// Reads the arguments (argv[0] included). Never prints and never exits.
CliOptions ParseCliOptions(const QStringList &arguments);

// Bytes a second from a rate as curl and wget take it: a whole number,
// optionally followed by k, m or g (times 1024 each); -1 when unusable.
qint64 ParseRate(const QString &text);

} // namespace tavimo::cli
