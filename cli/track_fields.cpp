#include "cli/track_fields.h"

#include "download/download_archive.h"
#include "download/file_names.h"

#include <QDir>

namespace tavimo::cli {

TrackFields FieldsOf(Command command, const QString &root, const TrackFile &track)
{
    QStringList folders = QDir(root).relativeFilePath(track.path).split(u'/');
    QString name = folders.takeLast();
    name.chop(int(sizeof(kTrackExtension) - 1));
    TrackFields fields{name, track.tags.album, track.tags.artist, QString(), SongIdOf(track.url), track.tags.position};
    switch (command) {
    case Command::Album:
    case Command::AlbumPlaylist:
        fields.album = folders.value(0);
        break;
    case Command::ArtistPage:
    case Command::ArtistName:
        fields.album = folders.value(1);
        break;
    case Command::Channel:
        fields.channel = folders.value(0);
        break;
    default:
        break;
    }
    return fields;
}

} // namespace tavimo::cli
