#pragma once

#include "workflow/album_page_download.h"
#include "workflow/playlist_album_download.h"
#include "workflow/workflow_context.h"
#include "workflow/artist_download.h"
#include "workflow/artist_search.h"

namespace tavimo {

// The main window's four workflows on one context, with the track tables
// they share for the life of the program.
struct MainWorkflows {
    explicit MainWorkflows(const WorkflowContext &context)
        : albumPage(context, tables), playlistAlbum(context, tables), artist(context, albumPage), artistSearch(context, artist)
    {
    }

    TrackTables tables;
    AlbumPageDownload albumPage;
    PlaylistAlbumDownload playlistAlbum;
    ArtistDownload artist;
    ArtistSearch artistSearch;
};

} // namespace tavimo
