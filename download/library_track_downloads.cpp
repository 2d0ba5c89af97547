#include "download/library_track_downloads.h"

#include "download/download_archive.h"
#include "download/file_names.h"

#include <QFileInfo>

#include <algorithm>

namespace tavimo {

namespace {

// The deepest folder that holds every entry's file.
QString CommonFolder(const QList<PlaylistEntry> &entries)
{
    QString folder = QFileInfo(entries.first().path).path();
    const auto holdsAll = [&entries](const QString &candidate) {
        return std::all_of(entries.cbegin(), entries.cend(), [&candidate](const PlaylistEntry &entry) {
            return entry.path.startsWith(candidate + u'/');
        });
    };
    while (!holdsAll(folder) && folder.contains(u'/'))
        folder = folder.section(u'/', 0, -2);
    return folder;
}

} // namespace

LibraryTrackDownloads::LibraryTrackDownloads(TrackDownloads &inner) : inner_(inner)
{
    inner_.setTrackEnded([this](const TrackFile &track, const DownloadEnd &end) { ended(track, end); });
}

void LibraryTrackDownloads::setArchive(DownloadArchive *archive, ArchiveUse use,
                                       std::function<void(const QString &)> failed)
{
    archive_ = archive;
    archiveUse_ = use;
    archiveFailed_ = std::move(failed);
}

bool LibraryTrackDownloads::archived(const TrackFile &track) const
{
    return archive_ != nullptr && archive_->contains(SongIdOf(track.url));
}

bool LibraryTrackDownloads::holds(const TrackFile &track) const
{
    TrackFile placed = track;
    placed.path = placedPath(track);
    return archived(track) || (!placed.path.isEmpty() && inner_.holds(placed));
}

bool LibraryTrackDownloads::holdsAlbum(const QString &albumId) const
{
    return archive_ != nullptr && archive_->containsAlbum(albumId);
}

void LibraryTrackDownloads::albumEnded(const QString &albumId, const QStringList &trackUrls)
{
    if (archive_ == nullptr || archiveUse_ == ArchiveUse::Consult || trackUrls.isEmpty())
        return;
    const bool whole = std::all_of(trackUrls.cbegin(), trackUrls.cend(),
                                   [this](const QString &url) { return archive_->contains(SongIdOf(url)); });
    if (whole && !archive_->recordAlbum(albumId))
        recordFailure();
}

void LibraryTrackDownloads::recordFailure()
{
    if (archiveFailed_)
        std::exchange(archiveFailed_, nullptr)(archive_->error());
}

QString LibraryTrackDownloads::placedPath(const TrackFile &track) const
{
    return place_ ? place_(track) : track.path;
}

QCoro::Task<> LibraryTrackDownloads::download(TrackFile track)
{
    TrackFile placed = track;
    placed.path = placedPath(track);
    if (placed.path.isEmpty()) {
        inner_.settle(track,
                      {DownloadOutcome::Failed, {FailureKind::Permanent, QStringLiteral("文件路径超出下载文件夹")}});
        co_return;
    }
    placed_.insert(track.path, placed.path);
    note(QFileInfo(track.path).path(), placed);
    if (archiveUse_ == ArchiveUse::Skip && archived(track)) {
        inner_.settle(placed, DownloadOutcome::Archived);
        co_return;
    }
    if (const QString folder = QFileInfo(placed.path).path(); folder != lastFolder_) {
        prepareFolders(folder);
        lastFolder_ = folder;
    }
    co_await inner_.download(placed);
}

QCoro::Task<> LibraryTrackDownloads::whenEnded(QStringList paths)
{
    for (QString &path : paths)
        path = placed_.value(path, path);
    co_await inner_.whenEnded(paths);
}

QCoro::Task<> LibraryTrackDownloads::finish()
{
    co_await inner_.finish();
}

void LibraryTrackDownloads::prepareFolders(const QString &folder)
{
    QStringList missing;
    for (QString level = folder; !level.isEmpty() && !QFileInfo(level).isDir(); level = QFileInfo(level).path()) {
        if (missing.contains(level))
            break;
        missing.prepend(level);
    }
    for (const QString &level : missing)
        inner_.prepareFolder(level);
}

void LibraryTrackDownloads::prepareFolder(const QString &)
{
    // Folders are made as their tracks come, so a run that fetches nothing
    // leaves no folder behind.
}

void LibraryTrackDownloads::ended(const TrackFile &track, const DownloadEnd &end)
{
    const bool onDisk = end.outcome == DownloadOutcome::Saved || end.outcome == DownloadOutcome::AlreadyPresent;
    const bool recording = archive_ != nullptr && archiveUse_ != ArchiveUse::Consult;
    if (onDisk && recording && !archive_->record(SongIdOf(track.url)))
        recordFailure();
    tellEnded(track, end);
}

void LibraryTrackDownloads::note(const QString &folder, const TrackFile &placed)
{
    auto found = playlistOf_.constFind(folder);
    if (found == playlistOf_.cend()) {
        found = playlistOf_.insert(folder, playlists_.size());
        playlists_.append({QFileInfo(folder).fileName(), {}, {}, {}});
    }
    Playlist &playlist = playlists_[*found];
    playlist.jobs.insert(placed.job);
    if (!playlist.paths.contains(placed.path)) {
        playlist.paths.insert(placed.path);
        playlist.entries.append({placed.path, placed.tags.title});
    }
}

QStringList LibraryTrackDownloads::writePlaylists(const std::function<bool(int job)> &wanted, bool keepUnreached) const
{
    QStringList errors;
    for (const Playlist &playlist : playlists_) {
        if (std::none_of(playlist.jobs.cbegin(), playlist.jobs.cend(), wanted))
            continue;
        const bool anyOnDisk = std::any_of(playlist.entries.cbegin(), playlist.entries.cend(),
                                           [](const PlaylistEntry &entry) { return QFileInfo(entry.path).isFile(); });
        if (!anyOnDisk)
            continue;
        const QString path = CommonFolder(playlist.entries) + u'/' + playlist.name + QStringLiteral(".m3u8");
        QList<PlaylistEntry> entries = playlist.entries;
        for (const PlaylistEntry &kept : keepUnreached ? ReadM3uPlaylist(path) : QList<PlaylistEntry>()) {
            if (!playlist.paths.contains(kept.path))
                entries.append(kept);
        }
        if (const QString error = WriteM3uPlaylist(path, entries); !error.isEmpty())
            errors.append(QStringLiteral("无法写入播放列表 %1: %2").arg(path, error));
    }
    return errors;
}

} // namespace tavimo
