#include "cli/command_run.h"

#include "workflow/main_workflows.h"
#include "cli/cli_main_view.h"
#include "cli/browser_commands.h"

namespace tavimo::cli {

namespace {

void RunMainWorkflow(const CliOptions &options, CommandSetup &setup, CliMainView &view)
{
    const WorkflowContext context{setup.hosts, setup.net, setup.downloads, setup.downloadRoot, view};
    MainWorkflows workflows(context);
    if (setup.pauseMs >= 0)
        workflows.artist.setListingRetryPause(setup.pauseMs);
    switch (options.command) {
    case Command::Album:
        view.setAlbumIdText(options.argument);
        workflows.albumPage.cmdDown2_Click();
        break;
    case Command::AlbumPlaylist:
        view.setAlbumIdText(options.argument);
        workflows.playlistAlbum.cmdDown_Click();
        break;
    case Command::ArtistPage:
        view.setSingerIdText(options.argument);
        workflows.artist.cmdSinger_Click();
        break;
    case Command::ArtistName:
        view.setSingerNameText(options.argument);
        workflows.artistSearch.cmdSinger2_Click();
        break;
    default:
        break;
    }
}

} // namespace

void RunCommand(const CliOptions &options, CommandSetup &setup, RunVerdict &verdict)
{
    CliMainView view(setup.out, verdict);
    switch (options.command) {
    case Command::Album:
    case Command::AlbumPlaylist:
    case Command::ArtistPage:
    case Command::ArtistName:
        RunMainWorkflow(options, setup, view);
        break;
    case Command::Channels:
        RunChannels(setup, view);
        break;
    case Command::Channel:
        RunChannel(options.argument, setup, view, verdict);
        break;
    case Command::Liked:
        RunLiked(options.cookiesFile, setup, view, verdict);
        break;
    default:
        setup.out.error(QStringLiteral("此版本不提供该命令"));
        verdict.rejected = true;
        break;
    }
}

} // namespace tavimo::cli
