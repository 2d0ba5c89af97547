#pragma once

#include "parse/mp3_frames.h"

#include <QList>
#include <QString>

namespace tavimo {

// Walks the frames of the MP3 file at path. A path that cannot be opened or
// read (missing, a folder, a link loop, no permission) is not whole, with
// the system's words for why.
Mp3Verdict CheckMp3File(const QString &path);

struct BrokenFile {
    QString path;
    QString reason;
};

struct FolderCheck {
    int checked = 0;          // .mp3 files looked at
    QList<BrokenFile> broken; // those not whole, in the order checked
};

// Checks every file named *.mp3 (in any case) beneath folder, sorted by path.
// Links are not followed into folders; a link named *.mp3 that leads nowhere
// is checked, and so reported. A folder named *.mp3 is only searched.
FolderCheck CheckMp3Folder(const QString &folder);

} // namespace tavimo
