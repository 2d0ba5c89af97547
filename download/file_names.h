#pragma once

#include <QString>

namespace tavimo {

// What the downloader appends to a track's file name while the file is being
// written; it is renamed to the final name once the transfer completed.
inline constexpr char kPartialSuffix[] = ".part";
inline constexpr char kTrackExtension[] = ".mp3";

// The longest single name, in bytes, that the file system accepts.
inline constexpr int kMaxFileNameBytes = 255;

// The most UTF-8 bytes a cleaned name may take, so that the name with the
// track extension and the partial suffix still fits in one file-system name.
constexpr int MaxCleanNameBytes()
{
    return kMaxFileNameBytes - int(sizeof(kTrackExtension) - 1) - int(sizeof(kPartialSuffix) - 1);
}

// Makes a title safe as one file or folder name: drops the characters that
// are not allowed in names ("?|/\*:\"<>." and control characters other than
// tab), turns "&#39;" into an apostrophe, trims blanks at both ends and
// shortens the result to MaxCleanNameBytes(). Cleaning a clean name changes
// nothing, and the same title always gives the same name.
QString CleanFileName(const QString &name);

// Removes blanks (U+0020) at both ends, and no other white space.
QString TrimBlanks(const QString &text);

// The length of a text in UTF-8.
int Utf8ByteCount(const QString &text);

// Cuts a text at a character boundary so that it takes at most maxBytes of
// UTF-8. Keeps combining sequences and surrogate pairs whole, except that a
// single sequence longer than the budget is cut between its code points.
QString ShortenToUtf8Bytes(const QString &text, int maxBytes);

} // namespace tavimo
