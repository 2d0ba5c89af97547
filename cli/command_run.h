#pragma once

#include "cli/cli_options.h"
#include "cli/console_output.h"
#include "cli/run_verdict.h"
#include "net/service_hosts.h"
#include "download/track_downloads.h"

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
    int pauseMs = -1; // the workflows' own pauses when negative
};

// Runs the workflow of one command to its end and notes its verdict.
void RunCommand(const CliOptions &options, CommandSetup &setup, RunVerdict &verdict);

} // namespace tavimo::cli
