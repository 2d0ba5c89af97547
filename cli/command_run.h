#pragma once

#include "cli/cli_options.h"
#include "cli/console_output.h"
#include "net/service_hosts.h"
#include "workflow/hot_view.h"
#include "workflow/workflow_context.h"

#include <functional>

namespace tavimo {
class ModXmlHttp;
}

namespace tavimo::cli {

// What a command runs with: the same hosts, network object, download root
// and track downloads a window would hand its workflows.
struct CommandSetup {
    ServiceHosts hosts;
    QString downloadRoot;
    ModXmlHttp &net;
    TrackDownloads &downloads;
    ConsoleOutput &out;
    int pauseMs = -1;   // the workflows' own pauses when negative
    int pagesAhead = 1; // pages asked for ahead of the tracks handed over
    bool breakOnExisting = false;
    // Shows one channel of the catalogue the channels command lists.
    std::function<void(const HotChannel &)> showChannel;
};

// A task that runs the workflow of one job to its end; its result.
QCoro::Task<RunResult> RunCommand(CliJob job, CommandSetup &setup);

} // namespace tavimo::cli
