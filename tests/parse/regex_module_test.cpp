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

Dictionary<> tableOf(std::initializer_list<std::pair<QString, QString>> pairs)
{
    Dictionary<> table;
    for (const auto &[id, title] : pairs)
        table.Add(id, title);
    return table;
}

QList<std::pair<QString, QString>> pairsOf(const Dictionary<> &table)
{
    QList<std::pair<QString, QString>> pairs;
    for (const auto &entry : table)
        pairs.append({entry.first, entry.second});
    return pairs;
}

} // namespace

// The pattern is four lines joined by LF with 16, 16 and 24 blanks of indentation.
TEST(TrackRowPattern, HasTheExactLayout)
{
    const QStringList lines = QString::fromLatin1(kTrackRowPattern).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "<tr>");
    EXPECT_EQ(lines[1], QString(16, ' ') + "<td>[^\\n]*</td>");
    EXPECT_EQ(lines[2], QString(16, ' ') + "<td align=\"center\">");
    EXPECT_EQ(lines[3], QString(24, ' ') + "<a id=\"song-\\d+");
}

// A realistic album page yields every track in page order, titles exactly as written.
TEST(ParseAlbumTracks, ReadsARealisticAlbumPage)
{
    const QString page = albumPage(trackRow("Don&#39;t Stop", "1001") + trackRow("晴天 <b>live</b>", "1002")
                                   + trackRow("Intro", "1003"));
    Dictionary<> tracks;
    EXPECT_EQ(ParseAlbumTracks(kTrackRowPattern, page, tracks), 3);
    EXPECT_EQ(tracks.Keys(), QStringList({"1001", "1002", "1003"}));
    EXPECT_EQ(tracks.Items(), QStringList({"Don&#39;t Stop", "晴天 <b>live</b>", "Intro"}));
}

// A listed identifier counts every time it matches but keeps its first title.
TEST(ParseAlbumTracks, DuplicateIdentifiersKeepTheFirstTitle)
{
    const QString page = albumPage(trackRow("First", "7") + trackRow("Second", "8") + trackRow("Again", "7"));
    for (auto parse : {&ParseAlbumTracks, &ParseArtistAlbumTracks}) {
        Dictionary<> tracks;
        EXPECT_EQ(parse(kTrackRowPattern, page, tracks), 3);
        EXPECT_EQ(tracks.Keys(), QStringList({"7", "8"}));
        EXPECT_EQ(tracks.Item("7"), "First");
    }
}

// Rows with other indentation, a title spread over lines, or no song link do not match.
TEST(ParseAlbumTracks, IgnoresRowsOfOtherShapes)
{
    const QString wrongIndent = QStringLiteral("<tr>\n               <td>A</td>\n                <td align=\"center\">\n"
                                               "                        <a id=\"song-1\">");
    const QString titleOnTwoLines = QStringLiteral("<tr>\n                <td>B\nC</td>\n                <td align=\"center\">\n"
                                                   "                        <a id=\"song-2\">");
    const QString noDigits = QStringLiteral("<tr>\n                <td>D</td>\n                <td align=\"center\">\n"
                                            "                        <a id=\"song-x\">");
    const QString crlfRow = QString(trackRow("E", "3")).replace("\n", "\r\n");
    for (const QString &page : {wrongIndent, titleOnTwoLines, noDigits, crlfRow, QString(), QStringLiteral("<tr>")}) {
        Dictionary<> tracks;
        EXPECT_EQ(ParseAlbumTracks(kTrackRowPattern, page, tracks), 0) << page.toStdString();
        EXPECT_EQ(tracks.Count(), 0);
    }
}

// Without a match the album table keeps what it held; with matches it is added to, not emptied.
TEST(ParseAlbumTracks, NeverEmptiesTheTable)
{
    Dictionary<> tracks = tableOf({{"5", "Old"}});
    EXPECT_EQ(ParseAlbumTracks(kTrackRowPattern, albumPage(QString()), tracks), 0);
    EXPECT_EQ(pairsOf(tracks), pairsOf(tableOf({{"5", "Old"}})));

    EXPECT_EQ(ParseAlbumTracks(kTrackRowPattern, albumPage(trackRow("New", "6") + trackRow("Newer", "5")), tracks), 2);
    EXPECT_EQ(pairsOf(tracks), pairsOf(tableOf({{"5", "Old"}, {"6", "New"}})));
}

// The artist table is emptied only when at least one row matched.
TEST(ParseArtistAlbumTracks, EmptiesOnlyWhenRowsMatched)
{
    Dictionary<> tracks = tableOf({{"5", "Previous album"}});
    EXPECT_EQ(ParseArtistAlbumTracks(kTrackRowPattern, albumPage(QString()), tracks), 0);
    EXPECT_EQ(pairsOf(tracks), pairsOf(tableOf({{"5", "Previous album"}})));

    EXPECT_EQ(ParseArtistAlbumTracks(kTrackRowPattern, albumPage(trackRow("Newer", "5")), tracks), 1);
    EXPECT_EQ(pairsOf(tracks), pairsOf(tableOf({{"5", "Newer"}})));
}

// The pattern ignores case, while the title and identifier cuts compare exactly.
TEST(ParseAlbumTracks, PatternIgnoresCaseButCutsAreExact)
{
    Dictionary<> tracks;
    const QString upperRow = QStringLiteral("<TR>\n                <TD>Loud</td>\n                <TD ALIGN=\"CENTER\">\n"
                                            "                        <A ID=\"song-42\">");
    EXPECT_EQ(ParseAlbumTracks(kTrackRowPattern, upperRow, tracks), 1);
    EXPECT_EQ(tracks.Keys(), QStringList({"42"}));
    EXPECT_EQ(tracks.Items(), QStringList({"<TR>\n                <TD>Loud"}));
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
