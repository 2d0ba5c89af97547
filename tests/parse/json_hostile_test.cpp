#include "json_describe.h"
#include "parse/json.h"
#include "parse/json_reader.h"

#include <gtest/gtest.h>

using tavimo::JsonReader;
using tavimo::JsonValue;
using tavimo::LastJsonErrors;
using tavimo::ParseJson;
using tavimo::testing::describe;

namespace {

int nestingDepth(JsonValue value)
{
    int depth = 0;
    while (value.isArray() || value.isObject()) {
        ++depth;
        if (value.isObject() && value.object().Count() == 0)
            break;
        const JsonValue inner = value.isArray() ? value.Item(1) : value.object().begin()->second;
        value = inner;
        if (value.isEmpty())
            break;
    }
    return depth;
}

// Brackets nested far beyond any reply end the parse with one line instead
// of exhausting the stack; what was read is kept.
TEST(ParseJsonHostile, DeepNestingEndsParse)
{
    const JsonValue arrays = ParseJson(QString(100000, u'['));
    EXPECT_EQ(LastJsonErrors(), QStringLiteral("Nesting too deep at position %1\r\n").arg(JsonReader::kMaxDepth + 1));
    EXPECT_EQ(nestingDepth(arrays), JsonReader::kMaxDepth);

    const JsonValue objects = ParseJson(QString(u"{'a':"_qs).repeated(100000));
    EXPECT_EQ(LastJsonErrors(), QStringLiteral("Nesting too deep at position %1\r\n").arg(JsonReader::kMaxDepth * 5 + 1));
    EXPECT_EQ(nestingDepth(objects), JsonReader::kMaxDepth);
}

// Nesting up to the limit reads normally.
TEST(ParseJsonHostile, NestingAtLimitReads)
{
    const int depth = JsonReader::kMaxDepth;
    const JsonValue value = ParseJson(QString(depth, u'[') + QString(depth, u']'));
    EXPECT_EQ(LastJsonErrors(), QString());
    EXPECT_EQ(nestingDepth(value), depth);
}

// A 10 MB string value is read whole, escapes included.
TEST(ParseJsonHostile, HugeStringValue)
{
    const QString body = QString(u"abcdefghi\\n"_qs).repeated(1'000'000);
    const JsonValue value = ParseJson(u"{'s':'"_qs + body + u"'}"_qs);
    EXPECT_EQ(LastJsonErrors(), QString());
    const QString text = value.Item(u"s"_qs).text();
    EXPECT_EQ(text.size(), 10'000'000);
    EXPECT_EQ(text, QString(u"abcdefghi\n"_qs).repeated(1'000'000));
}

// Texts cut off inside escapes keep what was gathered, without reading past the end.
TEST(ParseJsonHostile, TruncatedEscapes)
{
    for (const char16_t *text : {u"['\\u12", u"['\\u", u"['\\", u"['\\u1234", u"{'a':'x\\u00"}) {
        const JsonValue value = ParseJson(QString::fromUtf16(text));
        EXPECT_TRUE(value.isArray() || value.isObject()) << QString::fromUtf16(text).toStdString();
        EXPECT_TRUE(LastJsonErrors().startsWith(u"Missing '"_qs));
    }
    EXPECT_EQ(ParseJson(u"['\\u12"_qs).Item(1).text(), QString(QChar(0x12)));
}

// A \u escape naming half of a surrogate pair keeps that code unit as it is.
TEST(ParseJsonHostile, LoneSurrogatesKept)
{
    const JsonValue value = ParseJson(u"['\\ud800', '\\udc00x', '\\ud83d\\ude00']"_qs);
    EXPECT_EQ(value.Item(1).text(), QString(QChar(0xD800)));
    EXPECT_EQ(value.Item(2).text(), QString(QChar(0xDC00)) + u'x');
    EXPECT_EQ(value.Item(3).text(), u"😀"_qs);
}

// NUL characters are ordinary characters in strings, keys and blanks' place.
TEST(ParseJsonHostile, NulCharacters)
{
    const QString nul(QChar(0));
    const JsonValue value = ParseJson(u"{'a"_qs + nul + u"b':'x"_qs + nul + u"y', 'c':'\\u0000'}"_qs);
    EXPECT_EQ(LastJsonErrors(), QString());
    EXPECT_EQ(value.Item(u"a"_qs + nul + u"b"_qs).text(), u"x"_qs + nul + u"y"_qs);
    EXPECT_EQ(value.Item(u"c"_qs).text(), nul);

    ParseJson(nul + u"{}"_qs);
    EXPECT_EQ(LastJsonErrors(), u"Invalid JSON"_qs);
}

// Numbers at and past the limits of the decimal type.
TEST(ParseJsonHostile, NumbersAtDecimalLimits)
{
    const JsonValue value = ParseJson(
        u"[79228162514264337593543950335, -79228162514264337593543950335, 0.0000000000000000000000000001, "
        u"0.00000000000000000000000000001]"_qs);
    EXPECT_EQ(describe(value), u"[79228162514264337593543950335,-79228162514264337593543950335,"
                               u"0.0000000000000000000000000001,0.0000000000000000000000000000]"_qs);
    EXPECT_EQ(LastJsonErrors(), QString());

    ParseJson(u"{'n':79228162514264337593543950336}"_qs);
    EXPECT_EQ(LastJsonErrors(), u"Number too large: n\r\n"_qs);
    ParseJson(u"{'n':1234567890123456789012345678901234567890}"_qs);
    EXPECT_EQ(LastJsonErrors(), u"Number too large: n\r\n"_qs);
}

// Invalid literals repeated across many nested arrays still end quickly.
TEST(ParseJsonHostile, InvalidLiteralsInNestedArrays)
{
    const JsonValue value = ParseJson(u"[[[tru]]]"_qs);
    EXPECT_EQ(describe(value), u"[[[false],false],false]"_qs);
    EXPECT_EQ(LastJsonErrors().count(u"Invalid Boolean at position 4 : tru]]]\r\n"_qs), 3);
}

} // namespace
