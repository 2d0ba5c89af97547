#pragma once

#include "cli/console_output.h"
#include "workflow/hot_view.h"
#include "workflow/workflow_context.h"

#include <functional>

namespace tavimo::cli {

// The hot-channel list on standard output, one channel download, and the
// liked-track harvest, each with its result.
RunResult RunChannels(const WorkflowContext &context, ConsoleOutput &out,
                      const std::function<void(const HotChannel &)> &show);
RunResult RunChannel(const QString &id, const WorkflowContext &context, ConsoleOutput &out);
RunResult RunLiked(const QString &cookiesFile, const WorkflowContext &context, ConsoleOutput &out);

} // namespace tavimo::cli
