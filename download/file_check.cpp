#include "download/file_check.h"

#include "download/file_names.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtConcurrent>

#include <algorithm>

namespace tavimo {

Mp3Verdict CheckMp3File(const QString &path, Mp3Depth depth)
{
    QFile file(path);
    // Unbuffered: the walk reads in windows of its own.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {Mp3Fault::ReadError, 0, 0, 0, file.errorString()};
    Mp3Verdict verdict = WalkMp3Frames(
        file.size(),
        [&file](qint64 offset, char *out, qint64 size) {
            return file.seek(offset) ? file.read(out, size) : qint64(-1);
        },
        depth);
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
    // A file at a time per core: reading every byte is bound by the CRC.
    const auto checkOne = [](const QString &path) { return CheckedFile{path, CheckMp3File(path, Mp3Depth::Audio)}; };
    return FolderCheck{QtConcurrent::blockingMapped<QList<CheckedFile>>(paths, checkOne)};
}

int FolderCheck::broken() const
{
    return int(
        std::count_if(files.cbegin(), files.cend(), [](const CheckedFile &file) { return !file.verdict.whole(); }));
}

} // namespace tavimo
