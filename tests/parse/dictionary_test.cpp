#include "parse/dictionary.h"

#include <gtest/gtest.h>

using tavimo::Dictionary;

// Keys keep insertion order, compare case-sensitively, and the first Add wins.
TEST(Dictionary, KeepsOrderAndRefusesPresentKeys)
{
    Dictionary<> dict;
    EXPECT_TRUE(dict.Add("b", "1"));
    EXPECT_TRUE(dict.Add("a", "2"));
    EXPECT_TRUE(dict.Add("B", "3"));
    EXPECT_FALSE(dict.Add("b", "4"));
    EXPECT_EQ(dict.Count(), 3);
    EXPECT_EQ(dict.Keys(), QStringList({"b", "a", "B"}));
    EXPECT_EQ(dict.Items(), QStringList({"1", "2", "3"}));
    EXPECT_TRUE(dict.Exists("B"));
    EXPECT_FALSE(dict.Exists("A"));
    EXPECT_EQ(dict.Item("missing"), QString());
    dict.RemoveAll();
    EXPECT_EQ(dict.Count(), 0);
    EXPECT_TRUE(dict.Add("b", "5"));
}

TEST(Dictionary, SetItemReplacesInPlace)
{
    Dictionary<> dict;
    dict.Add("x", "1");
    dict.Add("y", "2");
    dict.SetItem("x", "3");
    EXPECT_EQ(dict.Items(), QStringList({"3", "2"}));
}
