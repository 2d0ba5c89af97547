#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// The album through the radio's playlist interface (the old method): the
// playlist seeded with the album number of the typed address, keeping the
// tracks of that album. Fills dictPlaylist.
QCoro::Task<RunResult> DownloadAlbumByPlaylist(const WorkflowContext &context, QString typedAddress);

} // namespace tavimo
