#include "download/download_root.h"
#include "download/file_names.h"
#include "tests/support/temp_root.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using tavimo::CleanFileName;
using tavimo::MaxCleanNameBytes;
using tavimo::ResolveDownloadRoot;
using tavimo::ShortenToUtf8Bytes;
using tavimo::Utf8ByteCount;
using tavimo::test::TempRoot;

namespace {

QString repeated(const QString &piece, int times)
{
    return piece.repeated(times);
}

int utf8Bytes(const QString &text)
{
    return int(text.toUtf8().size());
}

const QString kLetterA = QStringLiteral("a");

} // namespace

// Forbidden characters go, "&#39;" becomes an apostrophe, blanks are trimmed,
// and nothing else changes; names too long for the file system are cut at a
// character boundary, keeping sequences whole. A cleaned name cleans to itself.
TEST(CleanFileName, CleansAndShortensTitles)
{
    const QString smile = QStringLiteral("\U0001F600");
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString accented = QStringLiteral("e\u0301");
    const struct {
        QString name;
        QString expected;
    } rows[] = {
        {"a/b:c?.mp3", "abcmp3"},
        {"  Vol. 2  ", "Vol 2"},
        {"Rock &#39;n&#39; Roll", "Rock 'n' Roll"},
        {"?|/\\*:\"<>.", ""},
        {"  ?  .  ", ""},
        {"", ""},
        {"..", ""},
        {"../../etc/passwd", "etcpasswd"},
        {"晴天 [live] (2003) & #1; &amp; {x}", "晴天 [live] (2003) & #1; &amp; {x}"},
        {"\tTab\t", "\tTab\t"},
        {QStringLiteral("\u3000wide\u00a0"), QStringLiteral("\u3000wide\u00a0")},
        {"&#039; &#X27; &#39", "&#039; &#X27; &#39"},
        {"&&#39;#39;", "&'#39;"},
        {"&#3?9;", "'"},
        {QStringLiteral("a\u0000b\nc\rd\u001be\u001f"), "abcde"},
        {QString(QChar(0xD800)) + "x" + QChar(0xDC00), "x"},
        {smile + " ok", smile + " ok"},
        // 86 CJK characters and 300 letters, cut to the budget
        {repeated(QStringLiteral("歌"), 86), repeated(QStringLiteral("歌"), 82)},
        {repeated(kLetterA, 300), repeated(kLetterA, 246)},
        // an emoji that just fits, and one, a joined one or a combining mark across the cut
        {repeated(kLetterA, 242) + smile, repeated(kLetterA, 242) + smile},
        {repeated(kLetterA, 244) + smile + "b", repeated(kLetterA, 244)},
        {repeated(kLetterA, 240) + family, repeated(kLetterA, 240)},
        {repeated(kLetterA, 244) + accented + "b", repeated(kLetterA, 244)},
        // one endless combining sequence
        {"e" + repeated(QStringLiteral("\u0301"), 300), "e" + repeated(QStringLiteral("\u0301"), 122)},
        // a blank left at the cut is trimmed; removed characters do not count
        {repeated(kLetterA, 245) + " " + repeated(QStringLiteral("b"), 54), repeated(kLetterA, 245)},
        {repeated(QStringLiteral("."), 400) + "x", "x"},
    };
    for (const auto &row : rows) {
        const QString cleaned = CleanFileName(row.name);
        EXPECT_EQ(cleaned, row.expected) << row.name.toStdString();
        EXPECT_LE(utf8Bytes(cleaned), MaxCleanNameBytes()) << row.name.toStdString();
        EXPECT_EQ(CleanFileName(cleaned), cleaned) << row.name.toStdString();
    }
}

// The byte count agrees with Qt's own encoder, and shortening never exceeds
// the limit asked for nor cuts inside a sequence; a cut never falls inside a
// surrogate pair, even where Qt's boundary finder reports one there.
TEST(ShortenToUtf8Bytes, CountsAndCutsAtBoundaries)
{
    const QString text = QStringLiteral("aé歌\U0001F600e\u0301z");
    EXPECT_EQ(Utf8ByteCount(text), utf8Bytes(text));
    for (int limit = 0; limit <= utf8Bytes(text) + 1; ++limit) {
        const QString shortened = ShortenToUtf8Bytes(text, limit);
        EXPECT_LE(utf8Bytes(shortened), limit);
        EXPECT_TRUE(text.startsWith(shortened));
        EXPECT_FALSE(shortened.endsWith(QChar(0xD83D))) << limit;
    }
    const QString oriyaThenPlane14 = QStringLiteral("\u0B2C\U000ECB2C");
    const struct {
        QString text;
        int limit;
        QString expected;
    } rows[] = {
        {text, 9, QStringLiteral("aé歌")},
        {text, 12, QStringLiteral("aé歌\U0001F600")},
        {text, 13, QStringLiteral("aé歌\U0001F600e\u0301")},
        {text, 14, text},
        {oriyaThenPlane14, 6, QStringLiteral("\u0B2C")},
        {oriyaThenPlane14, 7, oriyaThenPlane14},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ShortenToUtf8Bytes(row.text, row.limit), row.expected) << row.limit;
}

// A writable program folder is the root itself.
TEST(DownloadRoot, WritableProgramFolderIsTheRoot)
{
    TempRoot program;
    TempRoot music;
    EXPECT_EQ(ResolveDownloadRoot(program.path() + QStringLiteral("/"), music.path()), program.path());
    EXPECT_FALSE(QFileInfo::exists(music.file(QStringLiteral("TavimoFM"))));
}

// A program folder that cannot be written falls back to the music folder's
// "TavimoFM", created when missing.
TEST(DownloadRoot, FallsBackToTheMusicFolder)
{
    TempRoot music;
    const QString unusable = music.file(QStringLiteral("no/such/program/folder"));
    EXPECT_EQ(ResolveDownloadRoot(unusable, music.path()), music.path() + QStringLiteral("/TavimoFM"));
    EXPECT_TRUE(QFileInfo(music.file(QStringLiteral("TavimoFM"))).isDir());
}

// When neither folder can be used the root is empty, so start-up can say so.
TEST(DownloadRoot, EmptyWhenNothingCanBeCreated)
{
    TempRoot scratch;
    scratch.write(QStringLiteral("plain-file"), "x");
    const QString underAFile = scratch.file(QStringLiteral("plain-file"));
    EXPECT_EQ(ResolveDownloadRoot(underAFile, underAFile), QString());
    EXPECT_EQ(ResolveDownloadRoot(underAFile, QString()), QString());
}
