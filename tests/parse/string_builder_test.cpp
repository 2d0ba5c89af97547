#include "parse/string_builder.h"

#include <gtest/gtest.h>

#include <functional>

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

using Edit = std::function<void(cStringBuilder &)>;

struct EditCase {
    const char *name;
    QString start; // appended to a new builder, in storage grown by one default chunk
    Edit edit;
    int error; // the BuilderError number the edit fails with, 0 for none
    QString text;
    int capacity;
    int chunk = 8192;
};

void PrintTo(const EditCase &row, std::ostream *out)
{
    *out << row.name;
}

class StringBuilderEdits : public ::testing::TestWithParam<EditCase> {};

// Each edit leaves the text, capacity and chunk size listed; an edit that
// fails leaves the builder as it was.
TEST_P(StringBuilderEdits, LeavesTextAndStorage)
{
    const EditCase &row = GetParam();
    cStringBuilder builder = builderHolding(row.start);
    EXPECT_EQ(errorNumberOf([&] { row.edit(builder); }), row.error);
    EXPECT_EQ(builder.toString(), row.text);
    EXPECT_EQ(builder.Length(), row.text.size());
    EXPECT_EQ(builder.Capacity(), row.capacity);
    EXPECT_EQ(builder.ChunkSize(), row.chunk);
}

// A view that claims more than the signed 32-bit byte range; the length check
// comes before any character is read, so its memory is never touched.
const char16_t kOne = u'x';
const QStringView kHuge(&kOne, qsizetype(1) << 30);

INSTANTIATE_TEST_SUITE_P(Edits, StringBuilderEdits, ::testing::Values(
    EditCase{"new builder", QString(), [](cStringBuilder &) {}, 0, QString(), 0},
    // Capacity grows by whole chunks, just enough for the text.
    EditCase{"one character", QString(), [](cStringBuilder &b) { b.Append(u"x"); }, 0, u"x"_qs, 8192},
    EditCase{"one chunk exactly", QString(8192, u'x'), [](cStringBuilder &) {}, 0, QString(8192, u'x'), 8192},
    EditCase{"past one chunk", QString(10000, u'x'), [](cStringBuilder &) {}, 0, QString(10000, u'x'), 16384},
    EditCase{"small chunks", QString(), [](cStringBuilder &b) { b.ChunkSize(10); b.Append(QString(25, u'x')); },
             0, QString(25, u'x'), 30, 10},
    // The empty piece changes nothing; AppendNL adds CR LF.
    EditCase{"pieces in order", QString(), [](cStringBuilder &b) {
                 b.Append(u"ab");
                 b.Append(QString());
                 b.AppendByVal(QStringLiteral("cd"));
                 b.AppendNL(u"x");
             }, 0, u"abcdx\r\n"_qs, 8192},
    // TheString replaces the text, keeping the capacity, or releases it when empty.
    EditCase{"replaced", u"hello world"_qs, [](cStringBuilder &b) { b.TheString(u"hi"); }, 0, u"hi"_qs, 8192},
    EditCase{"replaced by more", u"hello"_qs, [](cStringBuilder &b) { b.TheString(QString(9000, u'y')); },
             0, QString(9000, u'y'), 16384},
    EditCase{"replaced by nothing", u"hello"_qs, [](cStringBuilder &b) { b.TheString(QString()); }, 0, QString(), 0},
    // Insert places text before a 0-based offset, growing as far as needed.
    EditCase{"insert at the end", u"abc"_qs, [](cStringBuilder &b) { b.Insert(3, u"de"); }, 0, u"abcde"_qs, 8192},
    EditCase{"insert at the front", u"abc"_qs, [](cStringBuilder &b) { b.InsertByVal(0, QStringLiteral("xy")); },
             0, u"xyabc"_qs, 8192},
    EditCase{"insert in the middle", u"abc"_qs, [](cStringBuilder &b) { b.Insert(1, QString(20000, u'-')); },
             0, u"a"_qs + QString(20000, u'-') + u"bc"_qs, 24576},
    // Remove shortens the text and keeps the capacity.
    EditCase{"remove a range", u"abcdef"_qs, [](cStringBuilder &b) { b.Remove(1, 2); }, 0, u"adef"_qs, 8192},
    EditCase{"remove everything", u"abcdef"_qs, [](cStringBuilder &b) { b.Remove(0, 6); }, 0, QString(), 8192},
    EditCase{"remove nothing at the end", u"abc"_qs, [](cStringBuilder &b) { b.Remove(3, 0); }, 0, u"abc"_qs, 8192},
    // Offsets outside the text fail with error 9.
    EditCase{"insert past the end", u"abc"_qs, [](cStringBuilder &b) { b.Insert(4, u"x"); }, 9, u"abc"_qs, 8192},
    EditCase{"insert before the start", u"abc"_qs, [](cStringBuilder &b) { b.Insert(-1, u"x"); }, 9, u"abc"_qs, 8192},
    EditCase{"remove past the end", u"abc"_qs, [](cStringBuilder &b) { b.Remove(0, 4); }, 9, u"abc"_qs, 8192},
    EditCase{"remove from past the end", u"abc"_qs, [](cStringBuilder &b) { b.Remove(4, 0); }, 9, u"abc"_qs, 8192},
    EditCase{"remove a negative count", u"abc"_qs, [](cStringBuilder &b) { b.Remove(1, -1); }, 9, u"abc"_qs, 8192},
    // Sizes whose byte count passes the signed 32-bit range overflow (error 6);
    // a chunk below one character is refused (error 5).
    EditCase{"chunk past the range", u"abc"_qs, [](cStringBuilder &b) { b.ChunkSize(1 << 30); }, 6, u"abc"_qs, 8192},
    EditCase{"largest chunk", u"abc"_qs, [](cStringBuilder &b) { b.ChunkSize((1 << 30) - 1); }, 0, u"abc"_qs, 8192,
             (1 << 30) - 1},
    EditCase{"no chunk", u"abc"_qs, [](cStringBuilder &b) { b.ChunkSize(0); }, 5, u"abc"_qs, 8192},
    EditCase{"negative chunk", u"abc"_qs, [](cStringBuilder &b) { b.ChunkSize(-3); }, 5, u"abc"_qs, 8192},
    EditCase{"append past the range", u"abc"_qs, [](cStringBuilder &b) { b.Append(kHuge); }, 6, u"abc"_qs, 8192},
    EditCase{"insert past the range", u"abc"_qs, [](cStringBuilder &b) { b.Insert(0, kHuge); }, 6, u"abc"_qs, 8192},
    EditCase{"replace past the range", u"abc"_qs, [](cStringBuilder &b) { b.TheString(kHuge); }, 6, u"abc"_qs, 8192},
    // HeapMinimize trims the spare down to at most one chunk.
    EditCase{"minimised", QString(32768, u'x'), [](cStringBuilder &b) { b.Remove(100, 32668); b.HeapMinimize(); },
             0, QString(100, u'x'), 8192},
    EditCase{"minimised when empty", u"x"_qs, [](cStringBuilder &b) { b.Remove(0, 1); b.HeapMinimize(); },
             0, QString(), 8192},
    // Clear releases the storage and keeps the chunk size.
    EditCase{"cleared", u"abc"_qs, [](cStringBuilder &b) { b.ChunkSize(16); b.Clear(); }, 0, QString(), 0, 16}));

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

} // namespace
