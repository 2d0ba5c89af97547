#pragma once

#include "cli/cli_options.h"

#include <utility>

namespace tavimo::cli {

// One command word of tavimo-dl: the command it names, and the one it names
// with its own option (album --playlist, artist --name).
struct Subcommand {
    const char *name;
    Command plain;
    Command withOption;
    const char *option; // the option that selects withOption, or nullptr
};

// The entry of a command word; nullptr for none.
const Subcommand *FindSubcommand(const QString &name);

// How many positional words (the command included) a command takes: at
// least, and at most.
std::pair<int, int> WordsOf(Command command);

} // namespace tavimo::cli
