#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// Every album of the artist at the typed page address, collected from the
// rating-sorted album listing and downloaded album by album into the folder
// "歌手 - " and the artist's name; the next album pages are read while
// earlier albums' tracks download. An album without tracks makes the run
// Failed (with that album's text) once every album was tried.
QCoro::Task<RunResult> DownloadArtistByPage(const WorkflowContext &context, QString typedAddress);

} // namespace tavimo
