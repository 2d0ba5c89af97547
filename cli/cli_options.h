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
    QString answer;
    QString error;
};

// Reads the arguments (argv[0] included). Never prints and never exits.
CliOptions ParseCliOptions(const QStringList &arguments);

} // namespace tavimo::cli
