#include "faults/workflow_runs.h"

#include "cli/browser_commands.h"
#include "cli/cli_browser_views.h"
#include "download/download_root.h"
#include "download/parallel_track_downloads.h"
#include "net/cookie_store.h"
#include "tests/support/cookie_line.h"
#include "tests/support/recording_main_view.h"
#include "workflow/album_page_download.h"
#include "workflow/artist_download.h"
#include "workflow/liked_harvest.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdio>

namespace tavimo::test {

namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

const std::string &OrDefault(const std::string &chosen, const std::string &fallback)
{
    return chosen.empty() ? fallback : chosen;
}

void RunLiked(const WorkflowContext &app, cli::ConsoleOutput &out)
{
    app.net.cookies().insert(CookieLine(app.hosts.radio, QByteArray::fromStdString(emu::Emulator::signInCookie())));
    PrepareLikedFolder(app.downloadRoot);
    cli::CliLikedView view(out);
    LikedContext context{app, view};
    QCoro::waitFor(HarvestLikedTracks(context));
}

} // namespace

const char *WorkflowName(Workflow workflow)
{
    switch (workflow) {
    case Workflow::Album:
        return "album";
    case Workflow::Artist:
        return "artist";
    case Workflow::Channel:
        return "channel";
    case Workflow::Liked:
        return "liked";
    }
    return "";
}

void RunWorkflow(Workflow workflow, emu::Emulator &emulator, FileDownloader &files, const QString &root,
                 const RunTargets &targets)
{
    const ServiceHosts hosts = emulator.hosts();
    const emu::Catalogue &catalogue = emulator.catalogue();
    SequentialTrackDownloads downloads(files);
    RecordingMainView view;
    TrackTables tables;
    const WorkflowContext app{hosts, files.network(), downloads, root, view, tables, WorkflowPauses{1, 0, 0}};
    cli::ConsoleOutput out(stderr, false, true);
    switch (workflow) {
    case Workflow::Album:
        QCoro::waitFor(DownloadAlbumByPage(app, hosts.catalogueAddress(QStringLiteral("/subject/") + q(OrDefault(targets.albumNumber, catalogue.album(emu::AlbumCase::Plain).number)) + u'/')));
        break;
    case Workflow::Artist:
        QCoro::waitFor(DownloadArtistByPage(app, hosts.catalogueAddress(QStringLiteral("/musician/") + q(OrDefault(targets.artistId, catalogue.artist(emu::ArtistCase::Plain).id)) + u'/')));
        break;
    case Workflow::Channel:
        QCoro::waitFor(cli::RunChannel(QString::number(catalogue.channels().front().id), app, out));
        break;
    case Workflow::Liked:
        RunLiked(app, out);
        break;
    }
}

std::set<std::string> SongIdsOf(Workflow workflow, const emu::Catalogue &catalogue)
{
    std::set<std::string> ids;
    const auto addTracks = [&ids](const std::vector<emu::Track> &tracks) {
        for (const emu::Track &track : tracks)
            ids.insert(track.songId);
    };
    switch (workflow) {
    case Workflow::Album:
        addTracks(catalogue.album(emu::AlbumCase::Plain).tracks);
        break;
    case Workflow::Artist:
        for (const std::string &number : catalogue.artist(emu::ArtistCase::Plain).albumNumbers)
            addTracks(catalogue.findAlbum(number)->tracks);
        break;
    case Workflow::Channel:
        for (int cycle = 0; cycle < 40; ++cycle)
            addTracks(catalogue.channelPlaylist(catalogue.channels().front(), cycle));
        break;
    case Workflow::Liked:
        addTracks(catalogue.liked());
        break;
    }
    return ids;
}

QMap<QString, QByteArray> FilesBeneath(const QString &root)
{
    QMap<QString, QByteArray> files;
    const QDir base(root);
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(base.relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

} // namespace tavimo::test
