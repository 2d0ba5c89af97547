#pragma once

#include <QList>
#include <QString>

namespace tavimo {

struct PlaylistEntry {
    QString path;
    QString title;
};

// Writes the playlist at playlistPath whole (UTF-8, "#EXTM3U", one
// "#EXTINF:-1,<title>" and the path relative to the playlist per entry),
// with the entries whose files are on disk, in their order; the empty text,
// or why it could not be written.
QString WriteM3uPlaylist(const QString &playlistPath, const QList<PlaylistEntry> &entries);

// The entries of the playlist at playlistPath, their paths made absolute
// and clean: each line that is not a comment is a path, titled by the
// "#EXTINF" line before it. None when it cannot be read.
QList<PlaylistEntry> ReadM3uPlaylist(const QString &playlistPath);

} // namespace tavimo
