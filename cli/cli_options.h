#pragma once

#include "download/output_template.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo::cli {

// The workflow a run of tavimo-dl drives.
enum class Command { None, Album, AlbumPlaylist, ArtistPage, ArtistName, Channels, Channel, Liked, Check };

// One workflow of a run with what it is given: the address, name or channel
// identifier, and for liked the cookies file.
struct CliJob {
    Command command = Command::None;
    QString argument;
    QString cookiesFile;
};

// Everything the command line asked for. error is set (and command is None)
// when the arguments cannot be used; answer when --help or --version asked
// for a text instead of a run.
struct CliOptions {
    Command command = Command::None; // of the command line; None with only a batch file
    QStringList arguments;           // the addresses, name, channel identifier or folder to check
    QString cookiesFile;
    QString batchFile; // more jobs, one a line ("-" for standard input)
    QString root;
    bool demo = false;
    bool quiet = false;
    int jobs = 1;
    int retries = 3;                      // further attempts at a track that failed for a passing reason
    qint64 rateLimit = 0;                 // bytes a second per download; 0 for no limit
    bool list = false;                    // print the tracks instead of downloading them
    bool json = false;                    // one JSON object per track and for the summary on standard output
    bool tags = false;                    // write ID3v2.4 tags from the service's metadata
    QString archiveFile;                  // the download archive, when one is kept
    bool checkPresent = false;            // a present file must be a whole MP3 to be skipped
    std::optional<OutputTemplate> output; // where tracks go instead of the usual layout
    bool m3u = false;                     // a playlist per album, channel and liked run
    int sleepRequestsMs = 0;              // the least gap between page and interface requests
    int stallTimeoutMs = 30000;           // how long a transfer may bring nothing before it fails
    QString answer;
    QString error;
};

// Reads the arguments (argv[0] included). Never prints and never exits.
CliOptions ParseCliOptions(const QStringList &arguments);

// The jobs of the command line: one for each address after album or artist.
QList<CliJob> JobsOf(const CliOptions &options);

// The jobs of one line of a batch file, written as on the command line but
// with no general option; nothing, with error set, when it cannot be used.
std::optional<QList<CliJob>> ParseJobLine(const QStringList &words, QString &error);

// Whether words (no argv[0]) are general options only, as a config file may
// hold them; why not, when they are not.
QString GeneralOptionsError(const QStringList &words);

// Bytes a second from a rate as curl and wget take it: a whole number,
// optionally followed by k, m or g (times 1024 each); -1 when unusable.
qint64 ParseRate(const QString &text);

} // namespace tavimo::cli
