#include "download/download_archive.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavimo {

namespace {

constexpr char kTrackName[] = "tavimo";
constexpr char kAlbumName[] = "tavimo-album";

bool IsDigits(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

QString SongIdOf(const QString &trackAddress)
{
    static const QRegularExpression song(QStringLiteral("/p(\\d+)[^/]*$"));
    const QRegularExpressionMatch match = song.match(trackAddress.section(u'?', 0, 0));
    return match.hasMatch() ? match.captured(1) : QString();
}

bool DownloadArchive::fail(const QString &what)
{
    error_ = QStringLiteral("%1下载记录 %2: %3").arg(what, path_, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool DownloadArchive::open(const QString &path, SharedLineFile::Access access)
{
    path_ = path;
    if (!file_.open(path, access))
        return fail(access == SharedLineFile::Access::Read ? QStringLiteral("无法读取") : QStringLiteral("无法写入"));
    const std::optional<QByteArray> text = file_.read();
    if (!text)
        return fail(QStringLiteral("无法读取"));
    read(*text);
    return true;
}

void DownloadArchive::read(const QByteArray &text)
{
    int number = 0;
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype end = text.indexOf('\n', start) < 0 ? text.size() : text.indexOf('\n', start);
        QByteArrayView line = QByteArrayView(text).sliced(start, end - start);
        start = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArrayView tool = line.first(std::max<qsizetype>(space, 0));
        const QByteArray id = line.sliced(space + 1).toByteArray();
        const bool wellFormed = space > 0 && !id.isEmpty() && !id.contains(' ') && !id.contains('\t');
        const bool ours = tool == kTrackName || tool == kAlbumName;
        if (wellFormed && !ours)
            continue;
        if (!wellFormed || !IsDigits(id)) {
            if (damagedLines_++ == 0)
                firstDamagedLine_ = number;
            continue;
        }
        (tool == kAlbumName ? albums_ : ids_).insert(QString::fromLatin1(id));
    }
}

bool DownloadArchive::record(const QString &songId)
{
    return append(kTrackName, songId, ids_);
}

bool DownloadArchive::recordAlbum(const QString &albumId)
{
    return append(kAlbumName, albumId, albums_);
}

bool DownloadArchive::append(const char *name, const QString &id, QSet<QString> &kept)
{
    if (id.isEmpty() || kept.contains(id))
        return true;
    if (!file_.append(QByteArray(name) + ' ' + id.toLatin1()))
        return fail(QStringLiteral("无法写入"));
    kept.insert(id);
    return true;
}

} // namespace tavimo
