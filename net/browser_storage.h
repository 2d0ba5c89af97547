#pragma once

#include <QString>

namespace tavimo {

// The per-user folder where the window program's browser keeps its profile.
// Both programs name it alike, whatever their application name.
QString DefaultBrowserStorage();

// The cookies.txt in a browser storage folder that mirrors the browser's
// cookies, its sign-in included.
QString BrowserCookiesFile(const QString &storageFolder);

} // namespace tavimo
