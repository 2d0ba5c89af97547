#pragma once

#include <QString>

namespace tavimo {

// The folder of the liked tracks beneath the download root.
inline constexpr char16_t kLikedFolderName[] = u"TavimoFM.加心";

// The download root: the program's own folder when it is writable, else
// musicFolder + "/TavimoFM", created when missing. The empty text when
// neither can be used. Paths use "/".
QString ResolveDownloadRoot(const QString &programFolder, const QString &musicFolder);

// The same for this process: its own folder and the user's music folder.
QString DefaultDownloadRoot();

// Creates root + "/TavimoFM.加心" when missing (one level); false when the
// folder is not there afterwards.
bool PrepareLikedFolder(const QString &root);

// Creates folder (one level) when missing; false when it is not there after.
bool EnsureFolder(const QString &folder);

} // namespace tavimo
