#pragma once

#include "workflow/hot_context.h"

namespace tavimo {

// Downloads one channel's tracks in cycles of one playlist each, until ten
// cycles in a row bring no new title.
QCoro::Task<RunResult> DownloadChannel(const HotContext &context, HotChannel channel);

// The folder of a channel's tracks: "热门兆赫 - " and the cleaned channel
// name, shortened so that the whole folder name fits one file-system name.
QString ChannelFolderName(const QString &channelName);

} // namespace tavimo
