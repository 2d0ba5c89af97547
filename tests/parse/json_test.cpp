#include "parse/json.h"
#include "parse/json_reader.h"

#include <gtest/gtest.h>

using tavimo::JsonReader;
using tavimo::JsonValue;
using tavimo::LastJsonErrors;
using tavimo::ParseJson;

namespace {

// A compact text of a parsed value for comparing whole trees in one line:
// {key:value,...}, [value,...], 'text', numbers as written, true, false,
// null, and <empty> for the empty value.
QString describe(const JsonValue &value)
{
    switch (value.kind()) {
    case tavimo::JsonKind::Empty:
        return QStringLiteral("<empty>");
    case tavimo::JsonKind::Text:
        return u'\'' + value.text() + u'\'';
    case tavimo::JsonKind::Object: {
        QStringList members;
        for (const auto &[key, member] : value.object())
            members.append(key + u':' + describe(member));
        return u'{' + members.join(u',') + u'}';
    }
    case tavimo::JsonKind::Array: {
        QStringList elements;
        for (const JsonValue &element : value.array())
            elements.append(describe(element));
        return u'[' + elements.join(u',') + u']';
    }
    default:
        return value.toText();
    }
}

struct ParseCase {
    const char16_t *text;
    const char16_t *value;  // describe() of the result
    const char16_t *errors; // LastJsonErrors() afterwards
};

// A row's text; "␀" stands for the NUL character, which a literal cannot carry.
QString textOf(const char16_t *literal)
{
    return QString::fromUtf16(literal).replace(u'\u2400', QChar(0));
}

void PrintTo(const ParseCase &row, std::ostream *out)
{
    *out << QString::fromUtf16(row.text).toStdString();
}

class ParseJsonCases : public ::testing::TestWithParam<ParseCase> {};

// Each text reads as the given tree with exactly the given error lines.
TEST_P(ParseJsonCases, ReadsTreeAndErrors)
{
    const ParseCase &row = GetParam();
    const JsonValue value = ParseJson(textOf(row.text));
    EXPECT_EQ(describe(value), textOf(row.value));
    EXPECT_EQ(LastJsonErrors(), textOf(row.errors));
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseJsonCases, ::testing::Values(
    // The lenient forms: parentheses, bare and single-quoted keys, blanks dropped
    // from keys, missing commas, comments.
    ParseCase{u"( {'a':1} )", u"{a:1}", u""},
    ParseCase{u"( {'a':1} ) trailing junk", u"{a:1}", u""},
    ParseCase{u"{a:1}", u"{a:1}", u""},
    ParseCase{u"{'a':1}", u"{a:1}", u""},
    ParseCase{u"{\"a\":1}", u"{a:1}", u""},
    ParseCase{u"{'first name':1}", u"{firstname:1}", u""},
    ParseCase{u"{ \"a\tb\" \n: 'x' }", u"{ab:'x'}", u""},
    ParseCase{u"{'a':1 'b':2}", u"{a:1,b:2}", u""},
    ParseCase{u"[1 2,3]", u"[1,2,3]", u""},
    ParseCase{u"[1 2,,3]", u"[1,2]", u"Invalid number: ,3]\r\n"},
    ParseCase{u"{,'a':1}", u"{a:1}", u""},
    ParseCase{u"{'A':1,'a':2}", u"{A:1,a:2}", u""},
    ParseCase{u"// note\n{'a':true}", u"{a:true}", u""},
    ParseCase{u"/* note */{'a':true}", u"{a:true}", u""},
    ParseCase{u"{/* c */'a' /**/ : // line\n true}", u"{a:true}", u""},
    ParseCase{u"[null, true, false, 'x', \"y\", 1.5, {}, []]", u"[null,true,false,'x','y',1.5,{},[]]", u""},
    ParseCase{u"{'歌名':'兆赫'}", u"{歌名:'兆赫'}", u""},
    // Comment rules as the blank skipper applies them: a "/" inside a line
    // comment ends it, and a "*" inside a block comment keeps it from closing.
    ParseCase{u"// a/b\n{'a':1}", u"<empty>", u"Invalid JSON"},
    ParseCase{u"/* a*b */{'a':1}", u"<empty>", u"Invalid JSON"},
    ParseCase{u"* {'a':1}", u"{a:1}", u""},
    ParseCase{u"* / {'a':1}", u"<empty>", u"Invalid JSON"},
    ParseCase{u"/ * {'a':1}", u"<empty>", u"Invalid JSON"},
    ParseCase{u"/*\n*/[1]", u"[1]", u""},
    // Strings: escapes, the other quote inside, unknown escapes dropping the
    // backslash, a \u escape naming half of a surrogate pair kept as it is, NUL
    // as an ordinary character in strings and keys, and texts cut off by the end,
    // inside escapes too, keeping what was gathered.
    ParseCase{u"{'s':'\\u00e9\\n'}", u"{s:'é\n'}", u""},
    ParseCase{u"{'s':'a\\qb'}", u"{s:'aqb'}", u""},
    ParseCase{u"['\\\"\\\\\\/\\'\\b\\f\\r\\t']", u"['\"\\/'\b\f\r\t']", u""},
    ParseCase{u"['it\"s', \"it's\"]", u"['it\"s','it's']", u""},
    ParseCase{u"['\\u004a\\u004B']", u"['JK']", u""},
    ParseCase{u"['\\u4gxx', 1]", u"['\u0004',1]", u""},
    ParseCase{u"['abc", u"['abc']", u"Missing ']': ['abc\r\n"},
    ParseCase{u"['abc\\", u"['abc']", u"Missing ']': ['abc\\\r\n"},
    ParseCase{u"['\\u12", u"['\u0012']", u"Missing ']': ['\\u12\r\n"},
    ParseCase{u"['\\u", u"['␀']", u"Missing ']': ['\\u\r\n"},
    ParseCase{u"['\\", u"['']", u"Missing ']': ['\\\r\n"},
    ParseCase{u"['\\u1234", u"['\u1234']", u"Missing ']': ['\\u1234\r\n"},
    ParseCase{u"{'a':'x\\u00", u"{a:'x␀'}", u"Missing '}': {'a':'x\\u00\r\n"},
    ParseCase{u"['\\ud800', '\\udc00x', '\\ud83d\\ude00']", u"['\xD800','\xDC00x','😀']", u""},
    ParseCase{u"{'a␀b':'x␀y', 'c':'\\u0000'}", u"{a␀b:'x␀y',c:'␀'}", u""},
    ParseCase{u"␀{}", u"<empty>", u"Invalid JSON"},
    // Numbers are exact decimals; one cut off by the end reads as empty.
    ParseCase{u"[0.1]", u"[0.1]", u""},
    ParseCase{u"[12.50, -3, 1E3, +7, 2.5e-2]", u"[12.50,-3,1000,7,0.025]", u""},
    ParseCase{u"[1,2,3", u"[1,2,<empty>]", u"Missing ']': [1,2,3\r\n"},
    ParseCase{u"{'a':", u"{a:<empty>}", u"Missing '}': {'a':\r\n"},
    ParseCase{u"{'a':1,", u"{a:1,:<empty>}", u"Missing '}': {'a':1,\r\n"},
    ParseCase{u"[1,", u"[1,<empty>]", u"Missing ']': [1,\r\n"},
    // Texts that hold no object or array at the top level.
    ParseCase{u"12.50", u"<empty>", u"Invalid JSON"},
    ParseCase{u"hello", u"<empty>", u"Invalid JSON"},
    ParseCase{u"", u"<empty>", u"Invalid JSON"},
    ParseCase{u"  /* only a comment */ ", u"<empty>", u"Invalid JSON"},
    ParseCase{u"'text'", u"<empty>", u"Invalid JSON"},
    // Recorded errors: the line, the 1-based position, and how reading goes on.
    ParseCase{u"{'b':tru}", u"{b:false,tru}:<empty>}",
              u"Invalid Boolean at position 6 : tru}\r\nMissing '}': {'b':tru}\r\n"},
    ParseCase{u"{'b':nul,'c':1}", u"{b:<empty>,nul,c:1}",
              u"Invalid null value at position 6 : nul,'c':1}\r\n"},
    ParseCase{u"{'a' 1}", u"{a:1}", u"Invalid Key at position 6 : a\r\n"},
    ParseCase{u"{\"a'b\":1,'c':2}", u"{}",
              u"Invalid Key at position 11 : ab:1,\r\nInvalid number: ab:1,\r\n"},
    ParseCase{u"{'a':{'b':1}", u"{a:{b:1}}", u"Missing '}': {'a':{'b':1}\r\n"},
    ParseCase{u"[\"0123456789012345678901234\"", u"['0123456789012345678901234']",
              u"Missing ']': 6789012345678901234\"\r\n"},
    // An invalid literal in an array ends that array after one line.
    ParseCase{u"[tru, 1]", u"[false]", u"Invalid Boolean at position 2 : tru, 1]\r\n"},
    ParseCase{u"[1, nul]", u"[1,<empty>]", u"Invalid null value at position 5 : nul]\r\n"},
    ParseCase{u"{'a':[fals],'b':2}", u"{a:[false],fals],b:2}", u"Invalid Boolean at position 7 : fals],'b':2}\r\n"},
    // Each enclosing array says so again.
    ParseCase{u"[[[tru]]]", u"[[[false],false],false]", u"Invalid Boolean at position 4 : tru]]]\r\n"
                                                       u"Invalid Boolean at position 4 : tru]]]\r\n"
                                                       u"Invalid Boolean at position 4 : tru]]]\r\n"},
    // A duplicate key or an unconvertible number ends every enclosing level,
    // innermost first, each adding its own line.
    ParseCase{u"{'a':1,'a':2}", u"{a:1}", u"Duplicate key: a\r\n"},
    ParseCase{u"{'o':{'x':}}", u"{o:{}}", u"Invalid number: x\r\nInvalid number: o\r\n"},
    ParseCase{u"[1,1-2,3]", u"[1]", u"Invalid number: ,3]\r\n"},
    ParseCase{u"{'a':[{'b':1e99}],'c':1}", u"{a:[{}]}",
              u"Number too large: b\r\nNumber too large: }],'c':1}\r\nNumber too large: a\r\n"},
    ParseCase{u"[[1,x],2]", u"[[1]]", u"Invalid number: x],2]\r\nInvalid number: x],2]\r\n"},
    ParseCase{u"[{'k':{'k':1,'k':2}}]", u"[{k:{k:1}}]",
              u"Duplicate key: k\r\nDuplicate key: k\r\nDuplicate key: }}]\r\n"},
    ParseCase{u"[1234567890123456789012345678901234567890]", u"[]",
              u"Number too large: ]\r\n"},
    // Sibling objects of the same, a reordered or a different shape; a
    // duplicate key where the previous sibling had another key; a sibling's
    // key written otherwise, or cut off.
    ParseCase{u"[{'a':1,'b':'x'},{'a':2,'b':'y'}]", u"[{a:1,b:'x'},{a:2,b:'y'}]", u""},
    ParseCase{u"[{'a':1,'b':2},{'b':3,'a':4,'c':5},{c:6}]", u"[{a:1,b:2},{b:3,a:4,c:5},{c:6}]", u""},
    ParseCase{u"[{'o':{'k':1}},{'o':{'k':2,'k2':3}}]", u"[{o:{k:1}},{o:{k:2,k2:3}}]", u""},
    ParseCase{u"[{'a':1,'b':2},{'a':1,'a':2}]", u"[{a:1,b:2},{a:1}]",
              u"Duplicate key: a\r\nDuplicate key: }]\r\n"},
    ParseCase{u"[{\"a:b\":1},{\"a:b\":2},{\"a:b\" :3}]", u"[{a:b:1},{a:b:2},{a:b:3}]", u""},
    ParseCase{u"[{\"abc\":1},{\"abc\"}]", u"[{abc:1},{}]",
              u"Invalid Key at position 18 : abc\r\nInvalid number: abc\r\nInvalid number: }]\r\n"},
    ParseCase{u"[{\"abc\":1},{\"abc\"", u"[{abc:1},{abc:<empty>}]",
              u"Invalid Key at position 18 : abc\r\nMissing '}': [{\"abc\":1},{\"abc\"\r\n"
              u"Missing ']': [{\"abc\":1},{\"abc\"\r\n"}));

// Each parse starts with no errors and no pending failure.
TEST(ParseJson, ResetsErrorsAndPendingStateEachCall)
{
    ParseJson(u"{'a':1,'a':2}"_qs);
    ASSERT_FALSE(LastJsonErrors().isEmpty());
    EXPECT_EQ(describe(ParseJson(u"{'a':1,'b':2}"_qs)), u"{a:1,b:2}"_qs);
    EXPECT_EQ(LastJsonErrors(), QString());
}

// Bytes from the network decode as UTF-8 before reading.
TEST(ParseJson, DecodesUtf8Bytes)
{
    const JsonValue value = tavimo::ParseJsonUtf8(QByteArray("{\"title\":\"\xE5\x85\x86\xE8\xB5\xAB\"}"));
    EXPECT_EQ(value.Item(u"title"_qs).text(), u"兆赫"_qs);
}

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
