#pragma once

#include "parse/dictionary.h"

#include <QString>

namespace tavimo {

// One row of an album page's track table: the title cell on one line, then
// the cell whose link carries the song identifier. Both album workflows use it.
inline constexpr char kTrackRowPattern[] =
    "<tr>\n"
    "                <td>[^\\n]*</td>\n"
    "                <td align=\"center\">\n"
    "                        <a id=\"song-\\d+";

// Patterns match without regard to case, with ^ and $ at line ends.
// An invalid pattern matches nothing.

// The text of the first match, or the empty text when there is none.
QString RegexFirstMatch(const QString &pattern, const QString &text);

// Adds song identifier -> title for every row matched, in page order; an
// identifier already present keeps its first title. Never empties the table.
// Returns the number of rows matched, duplicates included.
int ParseAlbumTracks(const QString &pattern, const QString &text, Dictionary<> &dictAlbum2);

// As ParseAlbumTracks, but empties the table first when at least one row
// matched; with no match the table keeps the previous album's pairs.
int ParseArtistAlbumTracks(const QString &pattern, const QString &text, Dictionary<> &dictAlbum3);

} // namespace tavimo
