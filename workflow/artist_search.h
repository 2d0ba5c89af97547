#pragma once

#include "workflow/workflow_context.h"
#include "workflow/artist_download.h"

namespace tavimo {

// The artist-by-name button (cmdSinger2): finds the artist's page through the
// catalogue search and runs the artist download on it.
class ArtistSearch {
public:
    ArtistSearch(const WorkflowContext &context, ArtistDownload &artist) : ctx_(context), artist_(artist) {}

    void cmdSinger2_Click();

private:
    WorkflowContext ctx_;
    ArtistDownload &artist_;
};

} // namespace tavimo
