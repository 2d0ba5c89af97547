#include "temp_root.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace tavimo::test {

TempRoot::TempRoot()
{
    dir_.setAutoRemove(true);
}

QStringList TempRoot::allFiles() const
{
    QStringList files;
    QDirIterator it(dir_.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QDir root(dir_.path());
    while (it.hasNext()) {
        const QString file = root.relativeFilePath(it.next());
        if (!file.startsWith(QLatin1String(".tavimo/")))
            files.append(file);
    }
    files.sort();
    return files;
}

QByteArray TempRoot::read(const QString &relative) const
{
    QFile file(dir_.filePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TempRoot::write(const QString &relative, const QByteArray &bytes) const
{
    const QString path = dir_.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace tavimo::test
