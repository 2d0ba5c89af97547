#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// What the catalogue search found for an artist's name: the artist's page
// address, or the result of a search that found none (Rejected, with its
// message box) or was stopped.
struct FoundArtist {
    RunResult result;
    QString address;
};

// Asks the catalogue search for the name and takes its first artist link.
QCoro::Task<FoundArtist> FindArtist(const WorkflowContext &context, QString name);

// The artist download on the page FindArtist finds for the name.
QCoro::Task<RunResult> DownloadArtistByName(const WorkflowContext &context, QString name);

} // namespace tavimo
