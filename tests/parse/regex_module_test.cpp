#include "parse/regex_module.h"

#include <gtest/gtest.h>

using tavimo::Dictionary;
using tavimo::kTrackRowPattern;
using tavimo::ParseAlbumTracks;
using tavimo::ParseArtistAlbumTracks;
using tavimo::RegexFirstMatch;

namespace {

// One track-table row as the catalogue's album page writes it.
QString trackRow(const QString &title, const QString &songId)
{
    return QStringLiteral("<tr>\n"
                          "                <td>%1</td>\n"
                          "                <td align=\"center\">\n"
                          "                        <a id=\"song-%2\" href=\"#\">play</a>\n"
                          "                </td>\n"
                          "            </tr>\n")
        .arg(title, songId);
}

QString albumPage(const QString &rows)
{
    return QStringLiteral("<html><head><title>Some Album (Tavimo)</title></head>\n<body>\n"
                          "<table class=\"olts\">\n            <tbody>\n")
        + rows + QStringLiteral("            </tbody>\n</table>\n</body></html>\n");
}

using Pairs = QList<std::pair<QString, QString>>;

Pairs pairsOf(const Dictionary<> &table)
{
    Pairs pairs;
    for (const auto &entry : table)
        pairs.append({entry.first, entry.second});
    return pairs;
}

struct TrackRowsCase {
    const char *name;
    bool artist; // ParseArtistAlbumTracks instead of ParseAlbumTracks
    QString page;
    Pairs before; // the table as the previous album left it
    int matched;
    Pairs after;
};

} // namespace

// Rows are read in page order with their titles exactly as written; a
// listed identifier counts every time it matches but keeps its first title;
// rows of other shapes do not match. The album table is only added to; the
// artist table is emptied first, but only when at least one row matched.
TEST(ParseAlbumTracks, ReadsTrackRowsIntoTheTable)
{
    const QString realistic = albumPage(trackRow("Don&#39;t Stop", "1001") + trackRow("晴天 <b>live</b>", "1002")
                                        + trackRow("Intro", "1003"));
    const QString repeated = albumPage(trackRow("First", "7") + trackRow("Second", "8") + trackRow("Again", "7"));
    const TrackRowsCase cases[] = {
        {"realistic page", false, realistic, {}, 3,
         {{"1001", "Don&#39;t Stop"}, {"1002", "晴天 <b>live</b>"}, {"1003", "Intro"}}},
        {"repeated identifier", false, repeated, {}, 3, {{"7", "First"}, {"8", "Second"}}},
        {"repeated identifier, artist", true, repeated, {}, 3, {{"7", "First"}, {"8", "Second"}}},
        {"other indentation", false, QStringLiteral("<tr>\n               <td>A</td>\n                <td align=\"center\">\n"
                                                    "                        <a id=\"song-1\">"), {}, 0, {}},
        {"title over two lines", false, QStringLiteral("<tr>\n                <td>B\nC</td>\n                <td align=\"center\">\n"
                                                       "                        <a id=\"song-2\">"), {}, 0, {}},
        {"no digits", false, QStringLiteral("<tr>\n                <td>D</td>\n                <td align=\"center\">\n"
                                            "                        <a id=\"song-x\">"), {}, 0, {}},
        {"CR LF line ends", false, QString(trackRow("E", "3")).replace("\n", "\r\n"), {}, 0, {}},
        {"empty page", false, QString(), {}, 0, {}},
        {"a row's start only", false, QStringLiteral("<tr>"), {}, 0, {}},
        // The pattern ignores case, while the title and identifier cuts compare exactly.
        {"upper-case markup", false, QStringLiteral("<TR>\n                <TD>Loud</td>\n                <TD ALIGN=\"CENTER\">\n"
                                                    "                        <A ID=\"song-42\">"), {}, 1,
         {{"42", "<TR>\n                <TD>Loud"}}},
        {"album, no match", false, albumPage(QString()), {{"5", "Old"}}, 0, {{"5", "Old"}}},
        {"album, matches", false, albumPage(trackRow("New", "6") + trackRow("Newer", "5")), {{"5", "Old"}}, 2,
         {{"5", "Old"}, {"6", "New"}}},
        {"artist, no match", true, albumPage(QString()), {{"5", "Old"}}, 0, {{"5", "Old"}}},
        {"artist, matches", true, albumPage(trackRow("Newer", "5")), {{"5", "Old"}}, 1, {{"5", "Newer"}}},
    };
    for (const TrackRowsCase &row : cases) {
        SCOPED_TRACE(row.name);
        Dictionary<> tracks;
        for (const auto &[id, title] : row.before)
            tracks.Add(id, title);
        const auto parse = row.artist ? &ParseArtistAlbumTracks : &ParseAlbumTracks;
        EXPECT_EQ(parse(kTrackRowPattern, row.page, tracks), row.matched);
        EXPECT_EQ(pairsOf(tracks), row.after);
    }
}

// The first match wins; no match or an invalid pattern gives the empty text.
TEST(RegexFirstMatch, ReturnsTheFirstMatchOnly)
{
    const struct {
        const char *pattern;
        const char *text;
        const char *expected;
    } rows[] = {
        {"song-\\d+", "a song-12 b song-34", "song-12"},
        {"/musician/\\d+/", "<a href=\"http://h/musician/77/\">x</a><a href=\"/musician/88/\">", "/musician/77/"},
        {"ABC", "xxabcxx", "abc"},
        {"^b.*$", "a line\nb line\nc line", "b line"},
        {"zzz", "abc", ""},
        {"(unclosed", "(unclosed", ""},
        {"", "abc", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(RegexFirstMatch(QString::fromUtf8(row.pattern), QString::fromUtf8(row.text)),
                  QString::fromUtf8(row.expected))
            << row.pattern;
}

// A pattern used again after many others gives the same result as the first time.
TEST(RegexFirstMatch, ResultsStayTheSameAcrossManyPatterns)
{
    const QString text = QStringLiteral("id-7 id-42");
    const QString first = RegexFirstMatch(QStringLiteral("id-\\d\\d"), text);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(RegexFirstMatch(QStringLiteral("id-%1").arg(i), text), (i == 4 || i == 7 || i == 42) ? QStringLiteral("id-%1").arg(i) : QString());
    EXPECT_EQ(first, "id-42");
    EXPECT_EQ(RegexFirstMatch(QStringLiteral("id-\\d\\d"), text), first);
}
