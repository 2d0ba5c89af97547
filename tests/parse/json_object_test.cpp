#include "parse/json.h"
#include "parse/json_value.h"

#include <gtest/gtest.h>

using tavimo::JsonObject;
using tavimo::JsonValue;
using tavimo::LastJsonErrors;
using tavimo::ParseJson;

namespace {

QString keyOf(int i)
{
    return QStringLiteral("k%1").arg(i);
}

class JsonObjectSizes : public ::testing::TestWithParam<int> {};

// Lookups, duplicate refusal, replacement and order hold the same for small
// objects and for objects past the size where lookups switch to an index.
TEST_P(JsonObjectSizes, FindsRefusesAndReplacesByKey)
{
    const int count = GetParam();
    JsonObject object;
    QStringList keys;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(object.Add(keyOf(i), JsonValue(keyOf(i))));
        keys.append(keyOf(i));
    }
    for (int i = 0; i < count; ++i) {
        EXPECT_FALSE(object.Add(keyOf(i), JsonValue(true))) << i;
        EXPECT_TRUE(object.Exists(keyOf(i))) << i;
        EXPECT_EQ(object.Item(keyOf(i)).text(), keyOf(i)) << i;
    }
    EXPECT_FALSE(object.Exists(u"K0"_qs));
    EXPECT_TRUE(object.Item(keyOf(count)).isEmpty());
    EXPECT_EQ(object.Keys(), keys);

    object.SetItem(keyOf(0), JsonValue(false));
    object.SetItem(keyOf(count), JsonValue(true));
    keys.append(keyOf(count));
    EXPECT_EQ(object.Count(), count + 1);
    EXPECT_EQ(object.Keys(), keys);
    EXPECT_TRUE(object.Item(keyOf(0)).isBoolean());
    EXPECT_FALSE(object.Add(keyOf(count), JsonValue(false)));
    EXPECT_TRUE(object.Item(keyOf(count)).toBool());
}

INSTANTIATE_TEST_SUITE_P(Sizes, JsonObjectSizes, ::testing::Values(1, 15, 16, 17, 40));

// Objects compare member by member, in order.
TEST(JsonObject, EqualityFollowsMembersInOrder)
{
    EXPECT_EQ(ParseJson(u"{a:1,b:[2]}"_qs), ParseJson(u"{'a':1.0,\"b\":[2]}"_qs));
    EXPECT_FALSE(ParseJson(u"{a:1,b:2}"_qs) == ParseJson(u"{b:2,a:1}"_qs));
    EXPECT_FALSE(ParseJson(u"{a:1}"_qs) == ParseJson(u"{a:1,b:2}"_qs));
}

// A reply object with a very large number of members reads whole, and a
// repeated key at its end is still caught.
TEST(JsonObject, HugeObjectReadsAndCatchesLateDuplicate)
{
    constexpr int kMembers = 200000;
    QString text = u"{"_qs;
    for (int i = 0; i < kMembers; ++i)
        text += keyOf(i) + u":1,"_qs;
    const JsonValue value = ParseJson(text + u"k7:2}"_qs);
    EXPECT_EQ(LastJsonErrors(), u"Duplicate key: k7\r\n"_qs);
    EXPECT_EQ(value.object().Count(), kMembers);
    EXPECT_EQ(value.Item(keyOf(kMembers - 1)).toText(), u"1"_qs);
}

} // namespace
