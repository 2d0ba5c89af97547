#include "download/file_check.h"

#include "download/file_names.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace tavimo {

Mp3Verdict CheckMp3File(const QString &path)
{
    QFile file(path);
    // Unbuffered: the walk reads in windows of its own.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {Mp3Fault::ReadError, 0, 0, 0, file.errorString()};
    Mp3Verdict verdict = WalkMp3Frames(file.size(), [&file](qint64 offset, char *out, qint64 size) {
        return file.seek(offset) ? file.read(out, size) : qint64(-1);
    });
    if (verdict.fault == Mp3Fault::ReadError)
        verdict.error = file.errorString();
    return verdict;
}

FolderCheck CheckMp3Folder(const QString &folder)
{
    // System lists the links that lead nowhere too. Without FollowSymlinks the
    // walk never enters a folder through a link, so a link loop cannot hold it.
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList paths;
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        // A pipe named .mp3 would keep the open waiting for a writer.
        if (info.fileName().endsWith(QLatin1String(kTrackExtension), Qt::CaseInsensitive) &&
            (info.isFile() || !info.exists()))
            paths.append(info.filePath());
    }
    paths.sort();
    FolderCheck check;
    check.checked = int(paths.size());
    for (const QString &path : paths) {
        const Mp3Verdict verdict = CheckMp3File(path);
        if (!verdict.whole())
            check.broken.append({path, verdict.reason()});
    }
    return check;
}

} // namespace tavimo
