#pragma once

#include "download/m3u_playlist.h"
#include "download/track_downloads.h"

#include <QHash>
#include <QSet>

#include <functional>

namespace tavimo {

class DownloadArchive;

// How a run uses its download archive: it skips the tracks the archive has
// and records those on disk; it only records them (a library's own archive,
// kept for later syncs); or it only reads the archive (a listing).
enum class ArchiveUse { Skip, Record, Consult };

// The track downloads of a run that keeps a music library in order, in front
// of the scheduler: each track is placed by an output template, skipped
// without a request when the download archive has it, recorded there once its
// file is on disk, and noted for the playlist of the folder the workflow
// meant it for. Its folders are made as their first track comes.
class LibraryTrackDownloads final : public TrackDownloads {
public:
    // The track's path; empty when it cannot be placed.
    using Place = std::function<QString(const TrackFile &track)>;
    explicit LibraryTrackDownloads(TrackDownloads &inner);

    void setPlace(Place place) { place_ = std::move(place); }
    // The archive whose tracks are skipped and where the tracks on disk and
    // whole albums are recorded, as use says; failed tells of a line that
    // could not be written, once.
    void setArchive(DownloadArchive *archive, ArchiveUse use, std::function<void(const QString &error)> failed);

    QCoro::Task<> download(TrackFile track) override;
    QCoro::Task<> whenEnded(QStringList paths) override;
    QCoro::Task<> finish() override;
    void prepareFolder(const QString &folder) override;
    void settle(const TrackFile &track, const DownloadEnd &end) override { inner_.settle(track, end); }
    bool holds(const TrackFile &track) const override;
    bool holdsAlbum(const QString &albumId) const override;
    void albumEnded(const QString &albumId, const QStringList &trackUrls) override;
    const TrackRecords &records() const override { return inner_.records(); }
    int openJob() override { return inner_.openJob(); }

    // Writes "<folder name>.m3u8" for each folder a wanted job filled, in
    // the folder that holds its tracks, listing those on disk; with
    // keepUnreached, a run that broke early keeps the entries of the
    // playlist there that it did not reach, after its own. Why each one that
    // could not be written failed.
    QStringList writePlaylists(const std::function<bool(int job)> &wanted, bool keepUnreached) const;

private:
    struct Playlist {
        QString name;
        QSet<int> jobs; // of the tracks that went there
        QList<PlaylistEntry> entries;
        QSet<QString> paths;
    };

    void ended(const TrackFile &track, const DownloadEnd &end);
    void note(const QString &folder, const TrackFile &placed);
    QString placedPath(const TrackFile &track) const;
    // The folder and those of its parents not there yet, from the top.
    void prepareFolders(const QString &folder);

    TrackDownloads &inner_;
    Place place_;
    bool archived(const TrackFile &track) const;
    void recordFailure();

    DownloadArchive *archive_ = nullptr;
    ArchiveUse archiveUse_ = ArchiveUse::Skip;
    std::function<void(const QString &)> archiveFailed_;
    QHash<QString, QString> placed_; // the workflow's paths to the placed ones
    QString lastFolder_;
    QList<Playlist> playlists_;
    QHash<QString, qsizetype> playlistOf_; // by the workflow's folder
};

} // namespace tavimo
