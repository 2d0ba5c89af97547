#pragma once

#include "download/parallel_track_downloads.h"
#include "emulator/emulator.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"
#include "workflow/album_page_download.h"
#include "workflow/artist_download.h"
#include "workflow/artist_search.h"
#include "workflow/playlist_album_download.h"
#include "workflow/workflow_context.h"
#include "tests/support/recording_main_view.h"
#include "tests/support/temp_root.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>

namespace tavimo::test {

// The album and artist workflows without a window, against the emulator
// over real HTTP, downloading into a fresh temporary root.
class WorkflowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(emulator.start());
        hosts = emulator.hosts();
        pauses.listingRetryMs = 50;
    }

    WorkflowContext context() { return WorkflowContext{hosts, net, downloads, root.path(), view, tables, pauses}; }

    static QString q(const std::string &text) { return QString::fromStdString(text); }

    QString albumAddress(const emu::Album &album) const
    {
        return hosts.catalogueAddress(QStringLiteral("/subject/") + q(album.number) + u'/');
    }
    QString artistAddress(const emu::Artist &artist) const
    {
        return hosts.catalogueAddress(QStringLiteral("/musician/") + q(artist.id) + u'/');
    }

    // Runs a workflow on what the user typed and keeps its result.
    void runAlbum(const QString &typed) { result = DownloadAlbumByPage(context(), typed); }
    void runPlaylist(const QString &typed) { result = DownloadAlbumByPlaylist(context(), typed); }
    void runArtist(const QString &typed) { result = DownloadArtistByPage(context(), typed); }
    void searchArtist(const QString &name) { result = DownloadArtistByName(context(), name); }

    // Requests whose path and query begin with prefix.
    int requestsTo(const std::string &prefix) const
    {
        const auto log = emulator.requestLog();
        return int(std::count_if(log.begin(), log.end(),
                                 [&](const emu::RequestRecord &r) { return r.target.rfind(prefix, 0) == 0; }));
    }
    QByteArray expectedMp3(const std::string &songId, bool highBitRate) const
    {
        return QByteArray::fromStdString(emulator.expectedMp3(songId, highBitRate));
    }

    emu::Emulator emulator;
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
