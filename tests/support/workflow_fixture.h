#pragma once

#include "workflow/workflow_context.h"
#include "workflow/main_workflows.h"
#include "emulator/emulator.h"
#include "download/file_downloader.h"
#include "download/parallel_track_downloads.h"
#include "net/mod_xml_http.h"
#include "tests/support/recording_main_view.h"
#include "tests/support/temp_root.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tavimo::test {

// The main window's workflows without a window, against the emulator over
// real HTTP, downloading into a fresh temporary root.
class WorkflowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(emulator.start());
        hosts = emulator.hosts();
        workflows = std::make_unique<MainWorkflows>(WorkflowContext{hosts, net, downloads, root.path(), view});
        workflows->artist.setListingRetryPause(50);
    }

    static QString q(const std::string &text) { return QString::fromStdString(text); }

    QString albumAddress(const emu::Album &album) const
    {
        return hosts.catalogueAddress(QStringLiteral("/subject/") + q(album.number) + u'/');
    }
    QString artistAddress(const emu::Artist &artist) const
    {
        return hosts.catalogueAddress(QStringLiteral("/musician/") + q(artist.id) + u'/');
    }

    // Types into the main window's box and presses its button, as the user does.
    void runAlbum(const QString &typed) { view.albumId = typed; workflows->albumPage.cmdDown2_Click(); }
    void runPlaylist(const QString &typed) { view.albumId = typed; workflows->playlistAlbum.cmdDown_Click(); }
    void runArtist(const QString &typed) { view.singerId = typed; workflows->artist.cmdSinger_Click(); }
    void searchArtist(const QString &name) { view.singerName = name; workflows->artistSearch.cmdSinger2_Click(); }

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
    std::unique_ptr<MainWorkflows> workflows;
};

} // namespace tavimo::test
