#include "cli/command_run.h"

#include "cli/browser_commands.h"
#include "cli/cli_main_view.h"
#include "workflow/album_page_download.h"
#include "workflow/artist_download.h"
#include "workflow/artist_search.h"
#include "workflow/playlist_album_download.h"

namespace tavimo::cli {

namespace {

WorkflowPauses PausesOf(const CommandSetup &setup)
{
    if (setup.pauseMs < 0)
        return WorkflowPauses{};
    return WorkflowPauses{setup.pauseMs, setup.pauseMs, setup.pauseMs};
}

QCoro::Task<RunResult> RunWorkflow(const CliJob &options, const WorkflowContext &context, const CommandSetup &setup)
{
    switch (options.command) {
    case Command::Album:
        return DownloadAlbumByPage(context, options.argument);
    case Command::AlbumPlaylist:
        return DownloadAlbumByPlaylist(context, options.argument);
    case Command::ArtistPage:
        return DownloadArtistByPage(context, options.argument);
    case Command::ArtistName:
        return DownloadArtistByName(context, options.argument);
    case Command::Channels:
        return RunChannels(context, setup.out, setup.showChannel);
    case Command::Channel:
        return RunChannel(options.argument, context, setup.out);
    case Command::Liked:
        return RunLiked(options.cookiesFile, context, setup.out);
    default:
        break;
    }
    return context.refuse(RunTally(context.downloads), QStringLiteral("此版本不提供该命令"));
}

} // namespace

QCoro::Task<RunResult> RunCommand(CliJob job, CommandSetup &setup)
{
    CliMainView view(setup.out);
    TrackTables tables;
    const WorkflowContext context{
        setup.hosts,      setup.net, setup.downloads,       setup.downloadRoot, view, tables, PausesOf(setup),
        setup.pagesAhead, true,      setup.breakOnExisting,
    };
    const RunResult result = co_await RunWorkflow(job, context, setup);
    // An end told in a message box was shown as the workflow's message; the
    // other ends that leave tracks behind say why once more, quiet or not.
    const bool told = view.showedError(result.reason);
    if ((result.end == RunEnd::NothingFound || result.end == RunEnd::Failed) && !told)
        setup.out.error(result.reason);
    co_return result;
}

} // namespace tavimo::cli
