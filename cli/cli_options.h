#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo::cli {

// The workflow a run of tavimo-dl drives.
enum class Command { None, Album, AlbumPlaylist, ArtistPage, ArtistName, Channels, Channel, Liked, Check, Sync };

// What shapes a job's files; a recorded source keeps it, so that a sync
// shapes them alike.
struct FileShape {
    QString output; // the output template as given (checked); empty for the usual layout
    bool m3u = false;
    bool tags = false;

    bool operator==(const FileShape &) const = default;
};

// One workflow of a run with what it is given: the address, name or channel
// identifier, for liked the cookies file, and how its files are shaped.
struct CliJob {
    Command command = Command::None;
    QString argument;
    QString cookiesFile;
    FileShape shape;

    bool operator==(const CliJob &) const = default;
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
    int retries = 3;              // further attempts at a track that failed for a passing reason
    qint64 rateLimit = 0;         // bytes a second per download; 0 for no limit
    bool list = false;            // print the tracks instead of downloading them
    bool json = false;            // one JSON object per track and for the summary on standard output
    QString archiveFile;          // the download archive, when one is kept
    bool checkPresent = false;    // a present file must be a whole MP3 to be skipped
    FileShape shape;              // the output template, --m3u and --tags of the command line
    bool breakOnExisting = false; // skip what the library holds (on for sync)
    bool record = true;           // record the sources of the run beneath its root (never with --list)
    bool full = false;            // sync: read every page, breaking on nothing
    int sleepRequestsMs = 0;      // the least gap between page and interface requests
    int stallTimeoutMs = 30000;   // how long a transfer may bring nothing before it fails
    QString answer;
    QString error;
};

// Reads the arguments (argv[0] included). Never prints and never exits.
CliOptions ParseCliOptions(const QStringList &arguments);

// The jobs of the command line: one for each address after album or artist.
QList<CliJob> JobsOf(const CliOptions &options);

// Which lines ParseJobLine reads: a batch file's take a command's own
// options only; a recorded source's also the options that shape its files.
enum class JobLine { Batch, Source };

// The jobs of one line of a batch file or of the recorded sources, written
// as on the command line but with no general option; nothing, with error
// set, when it cannot be used.
std::optional<QList<CliJob>> ParseJobLine(const QStringList &words, QString &error, JobLine kind = JobLine::Batch);

// The words of a source's line: the command, its own options, its argument
// and its file-shaping options, as ParseJobLine reads them back.
QStringList SourceWords(const CliJob &job);

// Whether a command's jobs fetch tracks (and so make a library's source).
bool FetchesTracks(Command command);

// The command's word as it is typed ("album" for both ways of album).
QString CommandName(Command command);

// Whether words (no argv[0]) are general options only, as a config file may
// hold them; why not, when they are not.
QString GeneralOptionsError(const QStringList &words);

// Bytes a second from a rate as curl and wget take it: a whole number,
// optionally followed by k, m or g (times 1024 each); -1 when unusable.
qint64 ParseRate(const QString &text);

} // namespace tavimo::cli
