#pragma once

#include "hot/hot_context.h"

namespace tavimo {

// `cmdDown` of `hotForm`: downloads the selected channel's tracks in cycles
// of one playlist each, until ten cycles in a row bring no new title.
// Does nothing when no channel is selected.
void DownloadSelectedChannel(HotContext &context);

} // namespace tavimo
