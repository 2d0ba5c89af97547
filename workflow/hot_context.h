#pragma once

#include "workflow/hot_view.h"
#include "workflow/workflow_context.h"

namespace tavimo {

// Everything the channel workflows work with: the program's network object,
// hosts, download root and pauses, and the window they report to.
using HotContext = WindowWorkflowContext<HotView>;

} // namespace tavimo
