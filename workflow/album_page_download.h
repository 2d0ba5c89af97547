#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// The album download from the album's catalogue page: the album button
// (cmdDown2) and the per-album routine of the artist download.
class AlbumPageDownload {
public:
    AlbumPageDownload(const WorkflowContext &context, TrackTables &tables) : ctx_(context), tables_(tables) {}

    void cmdDown2_Click();

    // One album into a subfolder of parentFolder (which exists); touches no
    // button. Fills dictAlbum3.
    void DownloadAlbumFromPage(const QString &albumUrl, const QString &parentFolder);

    // The text between the first startMark and the first endMark; the
    // message box "Err:..." and the empty text when the marks do not frame
    // a piece of the text.
    QString TextBetween(const QString &text, const QString &startMark, const QString &endMark);

private:
    QString albumTitleOf(const QString &page);
    void downloadTracks(int rows, const QString &albumTitle, const QString &parentFolder, const Dictionary<> &table);
    QString trackAddress(const QString &songId) const;

    WorkflowContext ctx_;
    TrackTables &tables_;
};

} // namespace tavimo
