#pragma once

#include "parse/mp3_frames.h"

#include <QList>
#include <QString>

namespace tavimo {

// Walks the frames of the MP3 file at path to the given depth. A path that
// cannot be opened or read (missing, a folder, a link loop, no permission) is
// not whole, with the system's words for why.
Mp3Verdict CheckMp3File(const QString &path, Mp3Depth depth = Mp3Depth::Structure);

struct CheckedFile {
    QString path;
    Mp3Verdict verdict;
};

struct FolderCheck {
    QList<CheckedFile> files; // every .mp3 file looked at, in order
    int broken() const;
};

// Checks every file named *.mp3 (in any case) beneath folder, sorted by path,
// to the depth of every byte.
// Links are not followed into folders; a link named *.mp3 that leads nowhere
// is checked, and so reported. A folder named *.mp3 is only searched.
FolderCheck CheckMp3Folder(const QString &folder);

} // namespace tavimo
