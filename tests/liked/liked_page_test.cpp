#include "workflow/liked_harvest.h"
#include "workflow/liked_page.h"

#include <gtest/gtest.h>

namespace tavimo {
namespace {

const QString kEntry = QStringLiteral("<p class=\"song_title\">%1</p>\n<div class=\"action\" sid=\"%2\">");

struct PageCase {
    const char *name;
    QString page;
    QList<LikedEntry> expected;
};

// Entries are read by their markers in page order; damaged, empty and
// hostile pages give what precedes the damage and nothing more.
TEST(ReadLikedEntries, ReadsEntriesUpToTheFirstDamagedOne)
{
    const QString two = kEntry.arg(QStringLiteral("晴天"), QStringLiteral("11")) +
                        kEntry.arg(QStringLiteral("Don&#39;t Stop"), QStringLiteral("22"));
    const QList<PageCase> cases = {
        {"empty", QString(), {}},
        {"sign-in page", QStringLiteral("<form id=\"lzform\"><input name=\"form_email\"></form>"), {}},
        {"two entries, text kept as written", two, {{QStringLiteral("晴天"), QStringLiteral("11")},
                                                     {QStringLiteral("Don&#39;t Stop"), QStringLiteral("22")}}},
        {"no title end", QStringLiteral("<p class=\"song_title\">x<div class=\"action\" sid=\"1\">"), {}},
        {"no identifier", QStringLiteral("<p class=\"song_title\">x</p>"), {}},
        {"no identifier end", QStringLiteral("<p class=\"song_title\">x</p><div class=\"action\" sid=\"1"), {}},
        {"damaged second entry", kEntry.arg(QStringLiteral("a"), QStringLiteral("1")) +
                                     QStringLiteral("<p class=\"song_title\">b</p>"),
         {{QStringLiteral("a"), QStringLiteral("1")}}},
        {"truncated inside the marker", kEntry.arg(QStringLiteral("a"), QStringLiteral("1")) +
                                            QStringLiteral("<p class=\"song_ti"),
         {{QStringLiteral("a"), QStringLiteral("1")}}},
        {"upper-case markers do not count", QStringLiteral("<P CLASS=\"song_title\">x</p><div class=\"action\" sid=\"1\">"),
         {}},
        {"hostile identifier kept verbatim", kEntry.arg(QStringLiteral("x"), QStringLiteral("../../etc")),
         {{QStringLiteral("x"), QStringLiteral("../../etc")}}},
        // A title is paired with the first identifier after it, even one past
        // the next title marker; the next title is searched after it.
        {"identifier past the next title", QStringLiteral("<p class=\"song_title\">a</p><p class=\"song_title\">b</p>"
                                                          "<div class=\"action\" sid=\"7\">"),
         {{QStringLiteral("a"), QStringLiteral("7")}}},
    };
    for (const PageCase &row : cases)
        EXPECT_EQ(ReadLikedEntries(row.page), row.expected) << row.name;
}

// Only the liked page's exact address starts a harvest.
TEST(LikedAddresses, RecognisesOnlyTheExactLikedPage)
{
    const ServiceHosts hosts = ServiceHosts::builtIn();
    EXPECT_TRUE(IsLikedPageAddress(hosts, QStringLiteral("http://radio.tavimo.com/mine?type=liked")));
    for (const char *other : {"http://radio.tavimo.com/mine?type=liked/", "http://radio.tavimo.com/mine/?type=liked",
                              "https://radio.tavimo.com/mine?type=liked", "http://RADIO.tavimo.com/mine?type=liked",
                              "http://radio.tavimo.com/mine?type=Liked", "http://radio.tavimo.com/mine?a=1&type=liked",
                              "http://radio.tavimo.com/common_login?redir=/mine?type=liked", "about:blank", ""})
        EXPECT_FALSE(IsLikedPageAddress(hosts, QString::fromUtf8(other))) << other;
    EXPECT_EQ(LikedSignInAddress(hosts), QStringLiteral("http://radio.tavimo.com/common_login?redir=/mine?type=liked"));
    EXPECT_EQ(LikedListAddress(hosts, 0), QStringLiteral("http://radio.tavimo.com/mine?start=0&type=liked"));
    // Offsets past the 16-bit range are written in full.
    EXPECT_EQ(LikedListAddress(hosts, 32775), QStringLiteral("http://radio.tavimo.com/mine?start=32775&type=liked"));
}

// A title that already carries the " - reName" suffix takes the next free name (the plain
// repeats are checked by the harvest in the liked window).
TEST(UniqueTrackName, SuffixedTitleTakesTheNextFreeName)
{
    Dictionary<> used;
    EXPECT_EQ(UniqueTrackName(QStringLiteral("晴天"), used), QStringLiteral("晴天"));
    EXPECT_EQ(UniqueTrackName(QStringLiteral("晴天"), used), QStringLiteral("晴天 - reName"));
    EXPECT_EQ(UniqueTrackName(QStringLiteral("晴天 - reName"), used), QStringLiteral("晴天 - reName - reName"));
}

} // namespace
} // namespace tavimo
