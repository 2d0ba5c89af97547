#pragma once

#include "cli/cli_options.h"
#include "cli/console_output.h"

namespace tavimo::cli {

// Runs `check [DIR]`: one line on standard output ("<path>\t<reason>", or a
// JSON object with --json) for each .mp3 file beneath the folder that is not
// a whole MP3, the count on the console; the exit status (1 when any file is
// broken). Makes no network request.
int RunCheck(const CliOptions &options, ConsoleOutput &out);

} // namespace tavimo::cli
