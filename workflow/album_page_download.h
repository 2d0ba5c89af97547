#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// The album at its catalogue page address as the user typed it: every track
// into a folder named after the page's title, beneath the download root.
// Fills dictAlbum2.
RunResult DownloadAlbumByPage(const WorkflowContext &context, const QString &typedAddress);

// One album of an artist download into a subfolder of parentFolder (which
// exists), its tracks tagged with the artist's name. Fills dictAlbum3.
RunResult DownloadArtistAlbum(const WorkflowContext &context, const QString &albumUrl, const QString &parentFolder,
                              const QString &artist);

// The text between the first startMark and the first endMark; the message
// box "Err:..." and the empty text when the marks do not frame a piece of
// the text.
QString TextBetween(MainView &view, const QString &text, const QString &startMark, const QString &endMark);

} // namespace tavimo
