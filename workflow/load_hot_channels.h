#pragma once

#include "workflow/hot_context.h"
#include "parse/json.h"

namespace tavimo {

// The `LstChannel` entry of one channel: name, TAB, "[", track count, "首]".
QString ChannelEntry(const JsonValue &channel);

// Reads the catalogue of the 400 hot channels, two pages of 200, into the
// window's lists, with the running track total in its status line.
void LoadHotChannels(HotContext &context);

} // namespace tavimo
