#include "download/download_root.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavimo {

namespace {

bool IsWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

QString WithoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

QString ResolveDownloadRoot(const QString &programFolder, const QString &musicFolder)
{
    QString program = WithoutTrailingSlash(QDir::fromNativeSeparators(programFolder));
    if (IsWritableFolder(program))
        return program;
    if (musicFolder.isEmpty())
        return QString();
    const QString fallback = WithoutTrailingSlash(QDir::fromNativeSeparators(musicFolder)) +
                             QStringLiteral("/TavimoFM");
    QDir().mkpath(fallback);
    return IsWritableFolder(fallback) ? fallback : QString();
}

QString DefaultDownloadRoot()
{
    return ResolveDownloadRoot(QCoreApplication::applicationDirPath(),
                               QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
}

bool EnsureFolder(const QString &folder)
{
    return QFileInfo(folder).isDir() || QDir().mkdir(folder);
}

bool PrepareLikedFolder(const QString &root)
{
    return !root.isEmpty() && EnsureFolder(root + u'/' + QString::fromUtf16(kLikedFolderName));
}

} // namespace tavimo
