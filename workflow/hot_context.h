#pragma once

#include "workflow/workflow_context.h"
#include "workflow/hot_view.h"

namespace tavimo {

// The pauses of the channel workflows. Tests shorten them.
struct HotPauses {
    int afterPageMs = 2000;   // after each catalogue page and each download cycle
    int beforeRetryMs = 1000; // before asking again for a refused playlist
};

// Everything the channel workflows work with: the program's network object,
// hosts and download root, and the window they report to.
struct HotContext {
    const WorkflowContext &app;
    HotView &view;
    HotPauses pauses;

    bool stopped() const { return view.isClosed() || app.stopped(); }
};

} // namespace tavimo
