#pragma once

#include "workflow/liked_view.h"
#include "workflow/workflow_context.h"

namespace tavimo {

// Everything the harvest works with: the program's network object, hosts,
// download root and main window (for the summary), and its own window.
using LikedContext = WindowWorkflowContext<LikedView>;

// Reads the signed-in user's liked list page by page (offsets 0, 15, 30,
// ...), the next page while the tracks of the earlier ones download, and
// downloads every track into the liked folder; ends with the summary in the
// main window's status line and closes its window.
QCoro::Task<RunResult> HarvestLikedTracks(const LikedContext &context);

// The file name stem of a title within one harvest: the first use keeps the
// title, each further use appends " - reName" once more. Records the result.
QString UniqueTrackName(const QString &title, Dictionary<> &usedTitles);

} // namespace tavimo
