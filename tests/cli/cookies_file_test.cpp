#include "cli/cookies_file.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace tavimo::cli {
namespace {

// A browser export: comments, an HttpOnly line, a session cookie, CRLF ends.
TEST(CookiesFile, ReadsANetscapeExport)
{
    const QByteArray text = "# Netscape HTTP Cookie File\r\n"
                            "# This is a generated file!  Do not edit.\r\n"
                            "\r\n"
                            "#HttpOnly_.radio.tavimo.com\tTRUE\t/\tFALSE\t0\tsid\tabc123\r\n"
                            "music.tavimo.com\tFALSE\t/subject\tTRUE\t4102444800\tpref\tzh\r\n";
    const CookiesFile file = ParseCookiesText(text);
    ASSERT_EQ(file.cookies.size(), 2);
    EXPECT_EQ(file.unreadableLines, 0);

    const QNetworkCookie &session = file.cookies.at(0);
    EXPECT_EQ(session.name(), "sid");
    EXPECT_EQ(session.value(), "abc123");
    EXPECT_EQ(session.domain(), ".radio.tavimo.com");
    EXPECT_TRUE(session.isHttpOnly());
    EXPECT_TRUE(session.isSessionCookie());

    const QNetworkCookie &pref = file.cookies.at(1);
    EXPECT_EQ(pref.domain(), "music.tavimo.com");
    EXPECT_EQ(pref.path(), "/subject");
    EXPECT_TRUE(pref.isSecure());
    EXPECT_FALSE(pref.isHttpOnly());
    EXPECT_EQ(pref.expirationDate().toSecsSinceEpoch(), 4102444800);
}

// A subdomain cookie gets the leading dot that makes it apply to subdomains;
// an empty value with its TAB dropped is still a cookie.
TEST(CookiesFile, SubdomainFlagAndEmptyValue)
{
    const CookiesFile file = ParseCookiesText("tavimo.com\tTRUE\t/\tFALSE\t0\tempty\n");
    ASSERT_EQ(file.cookies.size(), 1);
    EXPECT_EQ(file.cookies.at(0).domain(), ".tavimo.com");
    EXPECT_TRUE(file.cookies.at(0).value().isEmpty());
}

// Damaged, truncated and hostile lines are counted and skipped, never taken.
TEST(CookiesFile, UnreadableLinesAreSkipped)
{
    const QList<QByteArray> rows = {
        "tavimo.com\tTRUE\t/\tFALSE\t0",                   // truncated
        "tavimo.com TRUE / FALSE 0 sid v",                 // blanks, not TABs
        "tavimo.com\tyes\t/\tFALSE\t0\tsid\tv",            // bad flag
        "tavimo.com\tTRUE\t/\tFALSE\tsoon\tsid\tv",        // bad expiry
        "tavimo.com\tTRUE\t/\tFALSE\t-5\tsid\tv",          // negative expiry
        "\tTRUE\t/\tFALSE\t0\tsid\tv",                     // no domain
        "tavimo.com\tTRUE\t/\tFALSE\t0\t\tv",              // no name
        "tavimo.com\tTRUE\t/\tFALSE\t0\tsid\tv\textra",    // too many fields
    };
    for (const QByteArray &row : rows) {
        const CookiesFile file = ParseCookiesText(row);
        EXPECT_TRUE(file.cookies.isEmpty()) << row.toStdString();
        EXPECT_EQ(file.unreadableLines, 1) << row.toStdString();
    }
}

// Empty input and a file of comments hold no cookie and no complaint.
TEST(CookiesFile, EmptyAndCommentOnly)
{
    for (const QByteArray &text : {QByteArray(), QByteArray("\n\n"), QByteArray("# only a comment\n#\n")}) {
        const CookiesFile file = ParseCookiesText(text);
        EXPECT_TRUE(file.cookies.isEmpty());
        EXPECT_EQ(file.unreadableLines, 0);
    }
}

// A missing file is an error with a reason.
TEST(CookiesFile, MissingFileIsAnError)
{
    CookiesFile file;
    QString error;
    EXPECT_FALSE(ReadCookiesFile(QStringLiteral("/nonexistent/cookies.txt"), file, error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace tavimo::cli
