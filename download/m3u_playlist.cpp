#include "download/m3u_playlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace tavimo {

namespace {

// A title on one line: a line break in it would start a path.
QString OneLine(QString text)
{
    for (QChar &c : text) {
        if (c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

} // namespace

QString WriteM3uPlaylist(const QString &playlistPath, const QList<PlaylistEntry> &entries)
{
    const QDir folder = QFileInfo(playlistPath).absoluteDir();
    QByteArray text = "#EXTM3U\n";
    for (const PlaylistEntry &entry : entries) {
        if (!QFileInfo(entry.path).isFile())
            continue;
        text += "#EXTINF:-1," + OneLine(entry.title).toUtf8() + '\n';
        text += folder.relativeFilePath(entry.path).toUtf8() + '\n';
    }
    QSaveFile file(playlistPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return file.errorString();
    return QString();
}

QList<PlaylistEntry> ReadM3uPlaylist(const QString &playlistPath)
{
    QFile file(playlistPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QDir folder = QFileInfo(playlistPath).absoluteDir();
    QList<PlaylistEntry> entries;
    QString title;
    for (const QByteArray &bytes : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        if (line.startsWith(QLatin1String("#EXTINF:")))
            title = line.section(u',', 1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        entries.append({QDir::cleanPath(folder.absoluteFilePath(line)), std::exchange(title, QString())});
    }
    return entries;
}

} // namespace tavimo
