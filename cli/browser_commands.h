#pragma once

#include "cli/cli_main_view.h"
#include "cli/command_run.h"

namespace tavimo::cli {

// The hot-channel list, one channel download, and the liked-track harvest.
void RunChannels(CommandSetup &setup, CliMainView &view);
void RunChannel(const QString &id, CommandSetup &setup, CliMainView &view, RunVerdict &verdict);
void RunLiked(const QString &cookiesFile, CommandSetup &setup, CliMainView &view, RunVerdict &verdict);

} // namespace tavimo::cli
