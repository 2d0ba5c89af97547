#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

class JsonValue;

// The album download through the radio's playlist interface (cmdDown): the
// playlist seeded with the album, keeping the tracks of that album.
class PlaylistAlbumDownload {
public:
    PlaylistAlbumDownload(const WorkflowContext &context, TrackTables &tables) : ctx_(context), tables_(tables) {}

    void cmdDown_Click();

private:
    QString playlistAddress(const QString &albumNumber) const;
    // Returns false when the program is closing.
    bool downloadTrack(const JsonValue &song, const QString &albumFolder);

    WorkflowContext ctx_;
    TrackTables &tables_;
};

} // namespace tavimo
