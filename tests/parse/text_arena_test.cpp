#include "parse/text_arena.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using tavimo::TextArena;

namespace {

QString sample(int i)
{
    return QString(i % 300, QChar(u'a' + i % 26)) + QString::number(i);
}

// Texts of every length, spread over many blocks and some too long for a
// block, keep their content and terminating zero after the arena is gone.
TEST(TextArena, KeptTextsOutliveTheArena)
{
    std::vector<QString> kept;
    {
        TextArena arena;
        for (int i = 0; i < 3000; ++i)
            kept.push_back(arena.Keep(sample(i)));
    }
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(kept[size_t(i)], sample(i));
        EXPECT_EQ(kept[size_t(i)].utf16()[kept[size_t(i)].size()], u'\0');
    }
}

// Changing one kept text never shows in its neighbours from the same block,
// whether they are still alive or the changed text is the last one left.
TEST(TextArena, ChangingATextLeavesTheOthersAlone)
{
    auto arena = std::make_unique<TextArena>();
    QString first = arena->Keep(u"first");
    QString second = arena->Keep(u"second");
    QString third = arena->Keep(u"third");
    arena.reset();

    first.append(u" grown well past its own end");
    first[0] = u'F';
    EXPECT_EQ(first, u"First grown well past its own end");
    EXPECT_EQ(second, u"second");
    EXPECT_EQ(third, u"third");

    second = QString();
    first = QString();
    third.append(u" and more");
    third.prepend(u"a ");
    EXPECT_EQ(third, u"a third and more");
}

// Empty text reads as the null string.
TEST(TextArena, EmptyTextIsNull)
{
    TextArena arena;
    EXPECT_TRUE(arena.Keep(u"").isNull());
    EXPECT_TRUE(arena.Keep(QStringView()).isNull());
}

} // namespace
