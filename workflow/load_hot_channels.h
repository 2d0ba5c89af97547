#pragma once

#include "workflow/hot_context.h"

namespace tavimo {

// Reads the catalogue of the 400 hot channels, two pages of 200, into the
// window's list, with the running track total in its status line.
// NothingFound when no channel could be read.
QCoro::Task<RunResult> LoadHotChannels(const HotContext &context);

} // namespace tavimo
