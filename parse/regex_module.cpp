#include "parse/regex_module.h"

#include <QHash>
#include <QRegularExpression>

namespace tavimo {
namespace {

// Compiling a pattern costs more than running it over one row, and the same
// few patterns are used for every page, so compiled ones are kept per thread.
QRegularExpression compiled(const QString &pattern)
{
    constexpr qsizetype kMaxCached = 32;
    thread_local QHash<QString, QRegularExpression> cache;
    auto it = cache.constFind(pattern);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() >= kMaxCached)
        cache.clear();
    QRegularExpression expression(pattern,
                                  QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    expression.optimize();
    return *cache.insert(pattern, expression);
}

// The part of a row in front of its first cell's end, without the row's
// opening markup: the track title as the page wrote it.
QString titleOfRow(const QString &row)
{
    static const QString rowOpening = QStringLiteral("<tr>\n                <td>");
    QString title = row.left(row.indexOf(QLatin1String("</td>")));
    return title.remove(rowOpening);
}

QString songIdOfRow(const QString &row)
{
    return RegexFirstMatch(QStringLiteral("song-\\d+"), row).remove(QLatin1String("song-"));
}

// Matches of the pattern in page order; empty when the pattern is invalid.
QStringList allMatches(const QString &pattern, const QString &text)
{
    QStringList rows;
    const QRegularExpression expression = compiled(pattern);
    if (!expression.isValid())
        return rows;
    auto matches = expression.globalMatch(text);
    while (matches.hasNext())
        rows.append(matches.next().captured(0));
    return rows;
}

void addRows(const QStringList &rows, Dictionary<> &tracks)
{
    for (const QString &row : rows)
        tracks.Add(songIdOfRow(row), titleOfRow(row));
}

} // namespace

QString RegexFirstMatch(const QString &pattern, const QString &text)
{
    const QRegularExpression expression = compiled(pattern);
    if (!expression.isValid())
        return QString();
    const QRegularExpressionMatch match = expression.match(text);
    return match.hasMatch() ? match.captured(0) : QString();
}

int ParseAlbumTracks(const QString &pattern, const QString &text, Dictionary<> &dictAlbum2)
{
    const QStringList rows = allMatches(pattern, text);
    addRows(rows, dictAlbum2);
    return int(rows.size());
}

int ParseArtistAlbumTracks(const QString &pattern, const QString &text, Dictionary<> &dictAlbum3)
{
    const QStringList rows = allMatches(pattern, text);
    if (!rows.isEmpty())
        dictAlbum3.RemoveAll();
    addRows(rows, dictAlbum3);
    return int(rows.size());
}

} // namespace tavimo
