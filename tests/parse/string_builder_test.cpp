#include "parse/string_builder.h"

#include <gtest/gtest.h>

using tavimo::BuilderError;
using tavimo::cStringBuilder;

namespace {

int errorNumberOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const BuilderError &error) {
        return error.number();
    }
    return 0;
}

// A builder whose text is `text` in storage grown by one default chunk.
cStringBuilder builderHolding(const QString &text)
{
    cStringBuilder builder;
    builder.Append(text);
    return builder;
}

// A new builder is empty with the default chunk.
TEST(StringBuilder, StartsEmpty)
{
    cStringBuilder builder;
    EXPECT_EQ(builder.Length(), 0);
    EXPECT_EQ(builder.Capacity(), 0);
    EXPECT_EQ(builder.ChunkSize(), 8192);
    EXPECT_EQ(builder.toString(), QString());
}

// Capacity grows by whole chunks, just enough for the text.
TEST(StringBuilder, GrowsLinearlyInChunks)
{
    struct Row {
        int chunk;
        int appended;
        int capacity;
    };
    for (const Row &row : {Row{8192, 1, 8192}, Row{8192, 10000, 16384}, Row{8192, 8192, 8192}, Row{10, 25, 30}}) {
        cStringBuilder builder;
        builder.ChunkSize(row.chunk);
        builder.Append(QString(row.appended, u'x'));
        EXPECT_EQ(builder.Capacity(), row.capacity) << row.chunk << " " << row.appended;
        EXPECT_EQ(builder.Length(), row.appended);
    }
}

// Pieces append in order; the empty piece changes nothing; AppendNL adds CR LF.
TEST(StringBuilder, AppendsPieces)
{
    cStringBuilder builder;
    builder.Append(u"ab");
    builder.Append(QString());
    builder.AppendByVal(QStringLiteral("cd"));
    builder.AppendNL(u"x");
    EXPECT_EQ(builder.toString(), u"abcdx\r\n"_qs);
    EXPECT_EQ(builder.Length(), 7);
}

// TheString replaces the text, keeping the capacity, or releases it when empty.
TEST(StringBuilder, TheStringReplacesText)
{
    cStringBuilder builder = builderHolding(u"hello world"_qs);
    builder.TheString(u"hi");
    EXPECT_EQ(builder.toString(), u"hi"_qs);
    EXPECT_EQ(builder.Capacity(), 8192);
    builder.TheString(QString(9000, u'y'));
    EXPECT_EQ(builder.Capacity(), 16384);
    builder.TheString(QString());
    EXPECT_EQ(builder.Length(), 0);
    EXPECT_EQ(builder.Capacity(), 0);
}

// Insert places text before a 0-based offset, growing as far as needed.
TEST(StringBuilder, InsertsAtOffsets)
{
    cStringBuilder atEnd = builderHolding(u"abc"_qs);
    atEnd.Insert(3, u"de");
    EXPECT_EQ(atEnd.toString(), u"abcde"_qs);

    cStringBuilder atFront = builderHolding(u"abc"_qs);
    atFront.InsertByVal(0, QStringLiteral("xy"));
    EXPECT_EQ(atFront.toString(), u"xyabc"_qs);

    cStringBuilder inMiddle = builderHolding(u"abc"_qs);
    inMiddle.Insert(1, QString(20000, u'-'));
    EXPECT_EQ(inMiddle.Capacity(), 24576);
    EXPECT_EQ(inMiddle.toString(), u"a"_qs + QString(20000, u'-') + u"bc"_qs);
}

// Offsets outside the text fail with error 9 and leave the builder as it was.
TEST(StringBuilder, RejectsOffsetsOutsideText)
{
    cStringBuilder builder = builderHolding(u"abc"_qs);
    EXPECT_EQ(errorNumberOf([&] { builder.Insert(4, u"x"); }), 9);
    EXPECT_EQ(errorNumberOf([&] { builder.Insert(-1, u"x"); }), 9);
    EXPECT_EQ(errorNumberOf([&] { builder.Remove(0, 4); }), 9);
    EXPECT_EQ(errorNumberOf([&] { builder.Remove(4, 0); }), 9);
    EXPECT_EQ(errorNumberOf([&] { builder.Remove(1, -1); }), 9);
    EXPECT_EQ(errorNumberOf([&] { builder.Remove(3, 0); }), 0);
    EXPECT_EQ(builder.toString(), u"abc"_qs);
    EXPECT_EQ(builder.Capacity(), 8192);
}

// Remove shortens the text and keeps the capacity.
TEST(StringBuilder, RemovesRange)
{
    cStringBuilder builder = builderHolding(u"abcdef"_qs);
    builder.Remove(1, 2);
    EXPECT_EQ(builder.toString(), u"adef"_qs);
    EXPECT_EQ(builder.Capacity(), 8192);
    builder.Remove(0, 4);
    EXPECT_EQ(builder.toString(), QString());
}

// Find: 1-based, case-insensitive by default, spare storage included, and a
// match reported only when it starts before the last character of the text.
TEST(StringBuilder, FindsWithinStorage)
{
    struct Row {
        const char16_t *needle;
        int start;
        int compare;
        int expected;
    };
    const cStringBuilder builder = builderHolding(u"abc"_qs);
    const Row rows[] = {
        {u"ABC", 1, 1, 1}, {u"ABC", 1, 0, 0}, {u"abc", 1, 0, 1}, {u"b", 1, 1, 2},
        {u"bc ", 1, 1, 2}, {u"c", 1, 1, 0},   {u" ", 1, 1, 0},   {u"a", 2, 1, 0},
        {u"b", -5, 1, 2},  {u"b", 9000, 1, 0}, {u"", 2, 1, 2},   {u"zz", 1, 1, 0},
    };
    for (const Row &row : rows)
        EXPECT_EQ(builder.Find(row.needle, row.start, row.compare), row.expected)
            << QString::fromUtf16(row.needle).toStdString() << " from " << row.start;
    EXPECT_EQ(builder.Find(u"ABC"), 1);
}

// Text left behind by Remove stays searchable as spare storage.
TEST(StringBuilder, FindSeesLeftoversOfRemovedText)
{
    cStringBuilder builder = builderHolding(u"abcdef"_qs);
    builder.Remove(0, 3);
    EXPECT_EQ(builder.toString(), u"def"_qs);
    EXPECT_EQ(builder.Find(u"efd", 1, 0), 2);
}

// HeapMinimize trims the spare down to at most one chunk.
TEST(StringBuilder, HeapMinimizeKeepsOneChunkOfSpare)
{
    cStringBuilder builder;
    builder.Append(QString(32768, u'x'));
    builder.Remove(100, 32668);
    ASSERT_EQ(builder.Capacity(), 32768);
    builder.HeapMinimize();
    EXPECT_EQ(builder.Capacity(), 8192);
    EXPECT_EQ(builder.toString(), QString(100, u'x'));

    cStringBuilder small = builderHolding(u"x"_qs);
    small.Remove(0, 1);
    small.HeapMinimize();
    EXPECT_EQ(small.Capacity(), 8192);
}

// Sizes whose byte count passes the signed 32-bit range overflow (error 6);
// a chunk below one character is refused (error 5); nothing changes.
TEST(StringBuilder, RejectsSizesOutOfRange)
{
    cStringBuilder builder = builderHolding(u"abc"_qs);
    EXPECT_EQ(errorNumberOf([&] { builder.ChunkSize(1 << 30); }), 6);
    EXPECT_EQ(errorNumberOf([&] { builder.ChunkSize(0); }), 5);
    EXPECT_EQ(errorNumberOf([&] { builder.ChunkSize(-3); }), 5);
    EXPECT_EQ(errorNumberOf([&] { builder.ChunkSize((1 << 30) - 1); }), 0);
    EXPECT_EQ(builder.ChunkSize(), (1 << 30) - 1);
    builder.ChunkSize(8192);

    // The length check comes before any character is read, so a view that
    // claims more than the range is refused without touching its memory.
    const char16_t one = u'x';
    const QStringView huge(&one, qsizetype(1) << 30);
    EXPECT_EQ(errorNumberOf([&] { builder.Append(huge); }), 6);
    EXPECT_EQ(errorNumberOf([&] { builder.Insert(0, huge); }), 6);
    EXPECT_EQ(errorNumberOf([&] { builder.TheString(huge); }), 6);
    EXPECT_EQ(builder.toString(), u"abc"_qs);
    EXPECT_EQ(builder.Capacity(), 8192);
}

// Clear releases the storage and keeps the chunk size.
TEST(StringBuilder, ClearKeepsChunkSize)
{
    cStringBuilder builder;
    builder.ChunkSize(16);
    builder.Append(u"abc");
    builder.Clear();
    EXPECT_EQ(builder.Length(), 0);
    EXPECT_EQ(builder.Capacity(), 0);
    EXPECT_EQ(builder.ChunkSize(), 16);
}

} // namespace
