#pragma once

#include "cli/console_output.h"
#include "workflow/hot_view.h"
#include "workflow/workflow_context.h"

#include <functional>

namespace tavimo::cli {

// The hot-channel list on standard output, one channel download, and the
// liked-track harvest, each a task of its result.
QCoro::Task<RunResult> RunChannels(const WorkflowContext &context, ConsoleOutput &out,
                                   std::function<void(const HotChannel &)> show);
QCoro::Task<RunResult> RunChannel(QString id, const WorkflowContext &context, ConsoleOutput &out);
QCoro::Task<RunResult> RunLiked(QString cookiesFile, const WorkflowContext &context, ConsoleOutput &out);

} // namespace tavimo::cli
