#include "cli/command_table.h"

#include <limits>

namespace tavimo::cli {

namespace {

const Subcommand kTable[] = {
    {"album", Command::Album, Command::AlbumPlaylist, "playlist"},
    {"artist", Command::ArtistPage, Command::ArtistName, "name"},
    {"channels", Command::Channels, Command::None, nullptr},
    {"channel", Command::Channel, Command::None, nullptr},
    {"liked", Command::Liked, Command::None, nullptr},
    {"check", Command::Check, Command::None, nullptr},
    {"sync", Command::Sync, Command::None, nullptr},
};

} // namespace

std::pair<int, int> WordsOf(Command command)
{
    constexpr int kAny = std::numeric_limits<int>::max();
    switch (command) {
    case Command::Album:
    case Command::ArtistPage:
        return {2, kAny};
    case Command::Channel:
        return {2, 2};
    case Command::Check:
    case Command::Sync:
        return {1, 2};
    default:
        return {1, 1};
    }
}

const Subcommand *FindSubcommand(const QString &name)
{
    for (const Subcommand &entry : kTable) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

bool FetchesTracks(Command command)
{
    return command != Command::Channels && command != Command::Check && command != Command::Sync &&
           command != Command::None;
}

QString CommandName(Command command)
{
    for (const Subcommand &entry : kTable) {
        if (entry.plain == command || entry.withOption == command)
            return QLatin1String(entry.name);
    }
    return QString();
}

QStringList SourceWords(const CliJob &job)
{
    QStringList words{CommandName(job.command)};
    for (const Subcommand &entry : kTable) {
        if (entry.withOption == job.command && entry.option != nullptr)
            words.append(QStringLiteral("--") + QLatin1String(entry.option));
    }
    if (!job.argument.isEmpty())
        words.append(job.argument);
    if (!job.cookiesFile.isEmpty())
        words += {QStringLiteral("--cookies"), job.cookiesFile};
    if (!job.shape.output.isEmpty())
        words += {QStringLiteral("-o"), job.shape.output};
    if (job.shape.m3u)
        words.append(QStringLiteral("--m3u"));
    if (job.shape.tags)
        words.append(QStringLiteral("--tags"));
    return words;
}

} // namespace tavimo::cli
