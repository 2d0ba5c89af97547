#include "download/file_downloader.h"
#include "download/file_names.h"
#include "download/parallel_track_downloads.h"
#include "emulator/emulator.h"
#include "net/mod_xml_http.h"
#include "tests/support/recording_main_view.h"
#include "tests/support/temp_root.h"
#include "workflow/album_page_download.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavimo {
namespace {

using emu::Fault;
using emu::FaultKind;

struct RetryRow {
    const char *name;
    Fault fault;
    int retries;
    bool healed;
    int requests; // to the faulty track's file, fallback included
    bool resumed; // the last of them asked for the rest by Range
};

// A track whose transfer fails for a passing reason is fetched again within
// the same run, continuing from the bytes it kept; a missing file and a run
// without retries are not.
TEST(Retries, PassingFailuresHealWithinOneRun)
{
    const RetryRow rows[] = {
        {"ServerErrorTwice", Fault::failFirst(2), 3, true, 3, false},
        {"DroppedOnce", Fault::of(FaultKind::Drop, 0, 1), 3, true, 2, true},
        {"CutShortOnce", Fault::of(FaultKind::ShortBody, 0, 1), 3, true, 2, true},
        {"StalledOnce", Fault::of(FaultKind::Stall, 2000, 1), 3, true, 2, true},
        {"TooManyRequestsOnce", Fault::status(429, 1), 1, true, 2, false},
        {"TooManyFailures", Fault::failFirst(3), 2, false, 3, false},
        {"RetriesOff", Fault::failFirst(1), 0, false, 1, false},
        {"Missing", Fault::status(404), 3, false, 2, false},
        {"NotAnMp3", Fault::of(FaultKind::Garbage), 3, false, 1, false},
    };
    for (const RetryRow &row : rows) {
        SCOPED_TRACE(row.name);
        emu::Emulator emulator;
        ASSERT_TRUE(emulator.start());
        emulator.setMp3Size(40000);
        const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
        const std::string faulty = "/view/song/small/p" + album.tracks.front().songId;
        emulator.setFault(faulty, row.fault);

        test::TempRoot root;
        ModXmlHttp net;
        net.setStallTimeout(300);
        FileDownloader files(net);
        ParallelTrackDownloads downloads(files, 2);
        downloads.setRetries(row.retries, 10);
        test::RecordingMainView view;
        TrackTables tables;
        const WorkflowContext context{emulator.hosts(), net, downloads, root.path(), view, tables};
        const QString address = emulator.hosts().catalogueAddress(QStringLiteral("/subject/") +
                                                                  QString::fromStdString(album.number) + u'/');
        const RunResult result = QCoro::waitFor(DownloadAlbumByPage(context, address));

        const QString file = QString::fromStdString(album.title) + u'/' +
                             CleanFileName(QString::fromStdString(album.tracks.front().title)) + QStringLiteral(".mp3");
        EXPECT_EQ(result.end, RunEnd::Done);
        EXPECT_EQ(result.counts.failed, row.healed ? 0 : 1);
        EXPECT_EQ(root.read(file), row.healed ? QByteArray::fromStdString(emulator.expectedMp3(album.tracks.front().songId, true))
                                              : QByteArray());
        std::vector<emu::RequestRecord> toFaulty;
        for (const emu::RequestRecord &request : emulator.requestLog()) {
            if (request.target.rfind(faulty, 0) == 0)
                toFaulty.push_back(request);
        }
        ASSERT_EQ(toFaulty.size(), size_t(row.requests));
        EXPECT_EQ(toFaulty.back().hasHeader("Range"), row.resumed);
    }
}

} // namespace
} // namespace tavimo
