#include "download/file_names.h"
#include "support/temp_root.h"

#include <QFile>
#include <gtest/gtest.h>

using tavimo::CleanFileName;
using tavimo::MaxCleanNameBytes;
using tavimo::ShortenToUtf8Bytes;
using tavimo::Utf8ByteCount;

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

// The budget leaves room for ".mp3" and ".part" inside one 255-byte name.
TEST(CleanFileName, BudgetLeavesRoomForExtensionAndPartialSuffix)
{
    EXPECT_EQ(MaxCleanNameBytes() + int(strlen(tavimo::kTrackExtension)) + int(strlen(tavimo::kPartialSuffix)), 255);
    EXPECT_STREQ(tavimo::kPartialSuffix, ".part");
}

// Forbidden characters go, "&#39;" becomes an apostrophe, blanks are trimmed, and nothing else changes.
TEST(CleanFileName, CleansTitlesAsListed)
{
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
        {QStringLiteral("\U0001F600 ok"), QStringLiteral("\U0001F600 ok")},
    };
    for (const auto &row : rows) {
        const QString cleaned = CleanFileName(row.name);
        EXPECT_EQ(cleaned, row.expected) << row.name.toStdString();
        EXPECT_EQ(CleanFileName(cleaned), cleaned) << row.name.toStdString();
    }
}

// Names too long for the file system are cut at a character boundary, keeping sequences whole.
TEST(CleanFileName, ShortensLongNamesToTheBudget)
{
    const QString cjk86 = repeated(QStringLiteral("歌"), 86);
    const QString smile = QStringLiteral("\U0001F600");
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString accented = QStringLiteral("e\u0301");
    const struct {
        const char *what;
        QString name;
        QString expected;
    } rows[] = {
        {"86 CJK characters", cjk86, repeated(QStringLiteral("歌"), 82)},
        {"300 ASCII letters", repeated(kLetterA, 300), repeated(kLetterA, 246)},
        {"emoji that just fits", repeated(kLetterA, 242) + smile, repeated(kLetterA, 242) + smile},
        {"emoji across the cut", repeated(kLetterA, 244) + smile + "b", repeated(kLetterA, 244)},
        {"joined emoji across the cut", repeated(kLetterA, 240) + family, repeated(kLetterA, 240)},
        {"combining mark across the cut", repeated(kLetterA, 244) + accented + "b", repeated(kLetterA, 244)},
        {"one endless combining sequence", "e" + repeated(QStringLiteral("\u0301"), 300),
         "e" + repeated(QStringLiteral("\u0301"), 122)},
        {"blank left at the cut", repeated(kLetterA, 245) + " " + repeated(QStringLiteral("b"), 54),
         repeated(kLetterA, 245)},
        {"removed characters do not count", repeated(QStringLiteral("."), 400) + "x", "x"},
    };
    for (const auto &row : rows) {
        const QString cleaned = CleanFileName(row.name);
        EXPECT_EQ(cleaned, row.expected) << row.what;
        EXPECT_LE(utf8Bytes(cleaned), MaxCleanNameBytes()) << row.what;
        EXPECT_EQ(CleanFileName(cleaned), cleaned) << row.what;
        EXPECT_EQ(CleanFileName(row.name), cleaned) << row.what;
    }
}

// A shortened name with ".mp3.part" can be created as a real file, and renamed to ".mp3".
TEST(CleanFileName, ShortenedNamesCanBeCreated)
{
    tavimo::test::TempRoot root;
    const QString names[] = {repeated(QStringLiteral("歌"), 300), repeated(QStringLiteral("\U0001F600"), 100),
                             repeated(kLetterA, 300)};
    for (const QString &name : names) {
        const QString base = root.file(CleanFileName(name) + tavimo::kTrackExtension);
        QFile partial(base + tavimo::kPartialSuffix);
        ASSERT_TRUE(partial.open(QIODevice::WriteOnly)) << partial.errorString().toStdString();
        partial.close();
        EXPECT_TRUE(partial.rename(base));
    }
    EXPECT_EQ(root.allFiles().size(), 3);
}

// The byte count agrees with Qt's own encoder, and shortening never exceeds the limit asked for.
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
    EXPECT_EQ(ShortenToUtf8Bytes(text, 9), QStringLiteral("aé歌"));
    EXPECT_EQ(ShortenToUtf8Bytes(text, 12), QStringLiteral("aé歌\U0001F600"));
    EXPECT_EQ(ShortenToUtf8Bytes(text, 13), QStringLiteral("aé歌\U0001F600e\u0301"));
    EXPECT_EQ(ShortenToUtf8Bytes(text, 14), text);
}

// A cut never falls inside a surrogate pair, even where Qt's boundary finder reports one there.
TEST(ShortenToUtf8Bytes, NeverSplitsASurrogatePair)
{
    const QString oriyaThenPlane14 = QStringLiteral("\u0B2C\U000ECB2C");
    EXPECT_EQ(ShortenToUtf8Bytes(oriyaThenPlane14, 6), QStringLiteral("\u0B2C"));
    EXPECT_EQ(ShortenToUtf8Bytes(oriyaThenPlane14, 7), oriyaThenPlane14);
}
