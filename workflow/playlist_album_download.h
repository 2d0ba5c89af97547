#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// The album through the radio's playlist interface (the old method): the
// playlist seeded with the album number of the typed address, keeping the
// tracks of that album. Fills dictPlaylist.
RunResult DownloadAlbumByPlaylist(const WorkflowContext &context, const QString &typedAddress);

} // namespace tavimo
