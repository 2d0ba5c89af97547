#pragma once

#include "download/parallel_track_downloads.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"
#include "workflow/album_page_download.h"
#include "workflow/artist_download.h"
#include "workflow/artist_search.h"
#include "workflow/playlist_album_download.h"
#include "workflow/workflow_context.h"
#include "tests/support/emulated_service.h"
#include "tests/support/recording_main_view.h"
#include "tests/support/temp_root.h"

#include <QString>

#include <gtest/gtest.h>

namespace tavimo::test {

// The album and artist workflows without a window, against the emulator
// over real HTTP, downloading into a fresh temporary root.
class WorkflowFixture : public EmulatedService {
protected:
    void SetUp() override
    {
        EmulatedService::SetUp();
        hosts = emulator.hosts();
        pauses.listingRetryMs = 50;
    }

    WorkflowContext context() { return WorkflowContext{hosts, net, downloads, root.path(), view, tables, pauses}; }

    // Runs a workflow on what the user typed to its end and keeps its result.
    void runAlbum(const QString &typed) { result = QCoro::waitFor(DownloadAlbumByPage(context(), typed)); }
    void runPlaylist(const QString &typed) { result = QCoro::waitFor(DownloadAlbumByPlaylist(context(), typed)); }
    void runArtist(const QString &typed) { result = QCoro::waitFor(DownloadArtistByPage(context(), typed)); }
    void searchArtist(const QString &name) { result = QCoro::waitFor(DownloadArtistByName(context(), name)); }

    QByteArray expectedMp3(const std::string &songId, bool highBitRate) const
    {
        return QByteArray::fromStdString(emulator.expectedMp3(songId, highBitRate));
    }

    ServiceHosts hosts;
    TempRoot root;
    ModXmlHttp net;
    FileDownloader files{net};
    SequentialTrackDownloads downloads{files};
    RecordingMainView view;
    TrackTables tables;
    WorkflowPauses pauses;
    RunResult result;
};

} // namespace tavimo::test
