#pragma once

#include "download/locked_file.h"

#include <QSet>
#include <QString>

namespace tavimo {

// The song identifier of a track address: the digits after the "p" that
// starts its file name ("…/p1234567_192k.mp3" gives "1234567"), whatever the
// bit rate; empty when the address has none.
QString SongIdOf(const QString &trackAddress);

// The tracks a user keeps, shared by runs and by other tools: one line per
// track, "tavimo " + the song identifier, and one per album whose every
// track it holds, "tavimo-album " + the album identifier; other tools' lines
// are kept as they are. Lines are appended as SharedLineFile appends them.
class DownloadArchive {
public:
    DownloadArchive() = default;
    DownloadArchive(const DownloadArchive &) = delete;
    DownloadArchive &operator=(const DownloadArchive &) = delete;
    ~DownloadArchive() = default;

    // Reads the archive at path, opened as access says; false with error()
    // when it cannot be read, or cannot be written to when it is to be made now.
    bool open(const QString &path, SharedLineFile::Access access);
    QString error() const { return error_; }
    // The lines that are not "<name> <identifier>" (or not digits after
    // "tavimo"): how many, and the number of the first, counted from 1.
    int damagedLines() const { return damagedLines_; }
    int firstDamagedLine() const { return firstDamagedLine_; }

    bool contains(const QString &songId) const { return ids_.contains(songId); }
    bool containsAlbum(const QString &albumId) const { return albums_.contains(albumId); }
    int size() const { return int(ids_.size()); }
    // Appends the track's (or the album's) line unless it is recorded;
    // false with error() when the line could not be written.
    bool record(const QString &songId);
    bool recordAlbum(const QString &albumId);

private:
    bool fail(const QString &what);
    void read(const QByteArray &text);
    bool append(const char *name, const QString &id, QSet<QString> &kept);

    QString path_;
    SharedLineFile file_;
    QSet<QString> ids_;
    QSet<QString> albums_;
    int damagedLines_ = 0;
    int firstDamagedLine_ = 0;
    QString error_;
};

} // namespace tavimo
