#include "cli/cli_options.h"

#include <QCommandLineParser>

namespace tavimo::cli {

namespace {

constexpr int kMaxJobs = 16;

const char kSubcommands[] = R"(
Commands:
  album URL              download one album from its catalogue page
  album --playlist URL   download one album through the radio's playlist
  artist URL             download every album of an artist from the artist page
  artist --name NAME     find an artist by name, then download every album
  channels               list the 400 hot channels: id, name, track count
  channel ID             download a hot channel until it brings no new title
  liked [--cookies FILE] download the signed-in user's liked tracks

Exit status: 0 every track is on disk, 1 some tracks failed,
2 unusable arguments or a rejected address, 130 interrupted.
)";

struct Subcommand {
    const char *name;
    Command plain;
    Command withOption;
    const char *option; // the option that selects withOption, or nullptr
};

const Subcommand kTable[] = {
    {"album", Command::Album, Command::AlbumPlaylist, "playlist"},
    {"artist", Command::ArtistPage, Command::ArtistName, "name"},
    {"channels", Command::Channels, Command::None, nullptr},
    {"channel", Command::Channel, Command::None, nullptr},
    {"liked", Command::Liked, Command::None, nullptr},
};

// How many positional words (the command included) a command takes.
int wordsOf(Command command)
{
    switch (command) {
    case Command::Album:
    case Command::ArtistPage:
    case Command::Channel:
        return 2;
    default:
        return 1;
    }
}

CliOptions failed(const QString &error)
{
    CliOptions options;
    options.error = error;
    return options;
}

const Subcommand *findSubcommand(const QString &name)
{
    for (const Subcommand &entry : kTable) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

// The options that belong to one subcommand only.
QString misplacedOption(const QCommandLineParser &parser, Command command)
{
    if (parser.isSet(QStringLiteral("playlist")) && command != Command::AlbumPlaylist)
        return QStringLiteral("--playlist");
    if (parser.isSet(QStringLiteral("name")) && command != Command::ArtistName)
        return QStringLiteral("--name");
    if (parser.isSet(QStringLiteral("cookies")) && command != Command::Liked)
        return QStringLiteral("--cookies");
    return QString();
}

} // namespace

CliOptions ParseCliOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Downloads MP3 tracks in bulk from the Tavimo radio service and its catalogue."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("playlist"), QStringLiteral("album: use the radio's playlist method for <url>."),
         QStringLiteral("url")},
        {QStringLiteral("name"), QStringLiteral("artist: find the artist by <name>."), QStringLiteral("name")},
        {QStringLiteral("cookies"),
         QStringLiteral("liked: sign-in cookies from a Netscape cookies.txt <file> (default: the window "
                        "program's browser profile)."),
         QStringLiteral("file")},
        {QStringLiteral("root"), QStringLiteral("Download into <dir> (default: the program's folder, else "
                                                "~/Music/TavimoFM)."),
         QStringLiteral("dir")},
        {QStringLiteral("demo"), QStringLiteral("Run against the built-in service emulator.")},
        {QStringLiteral("jobs"), QStringLiteral("Download up to <n> tracks at once (1-16, default 1)."),
         QStringLiteral("n"), QStringLiteral("1")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Print only errors and the summary.")},
    });
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("album, artist, channels, channel or liked."),
                                 QStringLiteral("command [argument]"));
    if (!parser.parse(arguments))
        return failed(parser.errorText());

    CliOptions options;
    if (parser.isSet(QStringLiteral("help"))) {
        options.helpRequested = true;
        options.helpText = parser.helpText() + QString::fromUtf8(kSubcommands);
        return options;
    }
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return failed(QStringLiteral("no command given (try --help)"));
    const Subcommand *subcommand = findSubcommand(words.first());
    if (subcommand == nullptr)
        return failed(QStringLiteral("unknown command: ") + words.first());

    const bool withOption = subcommand->option != nullptr && parser.isSet(QLatin1String(subcommand->option));
    const Command command = withOption ? subcommand->withOption : subcommand->plain;
    if (words.size() != wordsOf(command))
        return failed(words.size() < wordsOf(command) ? QStringLiteral("missing argument for ") + words.first()
                                                      : QStringLiteral("unexpected argument: ") + words.last());
    const QString misplaced = misplacedOption(parser, command);
    if (!misplaced.isEmpty())
        return failed(misplaced + QStringLiteral(" does not apply to ") + words.first());

    bool isNumber = false;
    options.jobs = parser.value(QStringLiteral("jobs")).toInt(&isNumber);
    if (!isNumber || options.jobs < 1 || options.jobs > kMaxJobs)
        return failed(QStringLiteral("--jobs takes a number from 1 to 16"));

    options.command = command;
    options.argument = withOption ? parser.value(QLatin1String(subcommand->option))
                                  : (words.size() > 1 ? words.at(1) : QString());
    options.cookiesFile = parser.value(QStringLiteral("cookies"));
    options.root = parser.value(QStringLiteral("root"));
    options.demo = parser.isSet(QStringLiteral("demo"));
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    return options;
}

} // namespace tavimo::cli
