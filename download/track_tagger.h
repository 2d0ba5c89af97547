#pragma once

#include "download/track_file.h"

#include <QString>

namespace tavimo {

// Writes the service's metadata into the MP3 file at path as an ID3v2.4 tag:
// title, album, artist and position where known. Frames already there (a
// picture, comments) stay. False, with why, when the file could not be
// tagged; it is then left as it was.
bool WriteTrackTags(const QString &path, const TrackTags &tags, QString &error);

} // namespace tavimo
