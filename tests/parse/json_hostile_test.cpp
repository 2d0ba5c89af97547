#include "parse/json.h"
#include "parse/json_reader.h"

#include <gtest/gtest.h>

using tavimo::JsonReader;
using tavimo::JsonValue;
using tavimo::LastJsonErrors;
using tavimo::ParseJson;

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

// Nesting up to the limit reads normally; brackets nested far beyond any
// reply end the parse with one line instead of exhausting the stack, and
// what was read is kept.
TEST(ParseJsonHostile, NestingEndsAtTheLimit)
{
    const int limit = JsonReader::kMaxDepth;
    const JsonValue atLimit = ParseJson(QString(limit, u'[') + QString(limit, u']'));
    EXPECT_EQ(LastJsonErrors(), QString());
    EXPECT_EQ(nestingDepth(atLimit), limit);

    const JsonValue arrays = ParseJson(QString(100000, u'['));
    EXPECT_EQ(LastJsonErrors(), QStringLiteral("Nesting too deep at position %1\r\n").arg(limit + 1));
    EXPECT_EQ(nestingDepth(arrays), limit);

    const JsonValue objects = ParseJson(QString(u"{'a':"_qs).repeated(100000));
    EXPECT_EQ(LastJsonErrors(), QStringLiteral("Nesting too deep at position %1\r\n").arg(limit * 5 + 1));
    EXPECT_EQ(nestingDepth(objects), limit);
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

} // namespace
