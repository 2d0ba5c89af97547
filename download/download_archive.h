#pragma once

#include <QSet>
#include <QString>

namespace tavimo {

// The song identifier of a track address: the digits after the "p" that
// starts its file name ("…/p1234567_192k.mp3" gives "1234567"), whatever the
// bit rate; empty when the address has none.
QString SongIdOf(const QString &trackAddress);

// The tracks a user keeps, shared by runs and by other tools: one line per
// track, "tavimo " + the song identifier; other tools' lines are kept as
// they are. Each line is appended with one write under an exclusive lock,
// so runs sharing the file lose or tear no line.
class DownloadArchive {
public:
    DownloadArchive() = default;
    DownloadArchive(const DownloadArchive &) = delete;
    DownloadArchive &operator=(const DownloadArchive &) = delete;
    ~DownloadArchive();

    // Reads the archive at path, creating it when forWriting; false with
    // error() when it cannot be read, or cannot be written to when forWriting.
    bool open(const QString &path, bool forWriting);
    QString error() const { return error_; }
    // The lines that are not "<name> <identifier>" (or not digits after
    // "tavimo"): how many, and the number of the first, counted from 1.
    int damagedLines() const { return damagedLines_; }
    int firstDamagedLine() const { return firstDamagedLine_; }

    bool contains(const QString &songId) const { return ids_.contains(songId); }
    int size() const { return int(ids_.size()); }
    // Appends songId's line unless it is recorded; false with error() when
    // the line could not be written.
    bool record(const QString &songId);

private:
    bool fail(const QString &what);
    void read(const QByteArray &text);

    QString path_;
    int fd_ = -1;
    QSet<QString> ids_;
    int damagedLines_ = 0;
    int firstDamagedLine_ = 0;
    QString error_;
};

} // namespace tavimo
