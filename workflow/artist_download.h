#pragma once

#include "workflow/album_page_download.h"
#include "workflow/workflow_context.h"
#include "parse/dictionary.h"

namespace tavimo {

class HtmlDocument;

// The artist button (cmdSinger): every album of one artist, collected from
// the rating-sorted album listing and downloaded album by album.
class ArtistDownload {
public:
    ArtistDownload(const WorkflowContext &context, AlbumPageDownload &albums) : ctx_(context), albums_(albums) {}

    void cmdSinger_Click();

    // Pause between attempts at a listing page that lacks its marker.
    void setListingRetryPause(int milliseconds) { listingRetryPauseMs_ = milliseconds; }

private:
    // Every album page address of the artist, in listing order; the empty
    // set too when the program is closing.
    Dictionary<> collectAlbums(const QString &artistId, HtmlDocument &document);
    QString fetchListing(const QString &artistId, int offset);
    bool isAlbumLink(const QString &href) const;

    WorkflowContext ctx_;
    AlbumPageDownload &albums_;
    int listingRetryPauseMs_ = 1000;
};

} // namespace tavimo
