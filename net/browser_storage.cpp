#include "net/browser_storage.h"

#include <QStandardPaths>

namespace tavimo {

QString DefaultBrowserStorage()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tavimo/browser");
}

QString BrowserCookiesFile(const QString &storageFolder)
{
    return storageFolder + QStringLiteral("/cookies.txt");
}

} // namespace tavimo
