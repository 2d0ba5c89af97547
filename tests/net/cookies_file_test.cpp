#include "net/cookies_file.h"

#include "tests/support/temp_root.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

namespace tavimo {
namespace {

// Cookies written to a file read back with every field, session cookies
// and HTTP-only ones included, and the file is private to its owner.
TEST(CookiesFile, RoundTripsEveryField)
{
    QNetworkCookie session("tavimo_session", "signed-in");
    session.setDomain(QStringLiteral("radio.tavimo.com"));
    session.setPath(QStringLiteral("/"));
    session.setHttpOnly(true);
    QNetworkCookie lasting("pref", "a=b c");
    lasting.setDomain(QStringLiteral(".tavimo.com"));
    lasting.setPath(QStringLiteral("/mine"));
    lasting.setSecure(true);
    lasting.setExpirationDate(QDateTime::fromSecsSinceEpoch(2000000000));

    test::TempRoot root;
    const QString path = root.file(QStringLiteral("cookies.txt"));
    ASSERT_TRUE(WriteCookiesFile(path, {session, lasting}));
    CookiesFile read;
    QString error;
    ASSERT_TRUE(ReadCookiesFile(path, read, error)) << error.toStdString();
    ASSERT_EQ(read.cookies.size(), 2);
    EXPECT_EQ(read.unreadableLines, 0);
    EXPECT_EQ(read.cookies[0].toRawForm(), session.toRawForm());
    EXPECT_TRUE(read.cookies[0].isSessionCookie());
    EXPECT_EQ(read.cookies[1].toRawForm(), lasting.toRawForm());
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
}

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

// Damaged, truncated and hostile lines are counted and skipped, never taken,
// and do not cost the good lines around them.
TEST(CookiesFile, UnreadableLinesAreSkipped)
{
    const QList<QByteArray> rows = {
        "short\tline",                                     // truncated
        "tavimo.com\tTRUE\t/\tFALSE\t0",                   // truncated before the name
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
    const CookiesFile mixed = ParseCookiesText(rows.join('\n') + "\nradio.tavimo.com\tFALSE\t/\tFALSE\t0\tok\tyes\n");
    ASSERT_EQ(mixed.cookies.size(), 1);
    EXPECT_EQ(mixed.cookies.at(0).name(), "ok");
    EXPECT_EQ(mixed.unreadableLines, rows.size());
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

// A missing file and one too large to be a cookies file are errors with a
// reason, and give no cookie.
TEST(CookiesFile, MissingAndOversizedFilesAreErrors)
{
    test::TempRoot root;
    const QString large = root.file(QStringLiteral("large.txt"));
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(9 * 1024 * 1024));
    file.close();
    for (const QString &path : {QStringLiteral("/nonexistent/cookies.txt"), large}) {
        CookiesFile read;
        QString error;
        EXPECT_FALSE(ReadCookiesFile(path, read, error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty()) << path.toStdString();
        EXPECT_TRUE(read.cookies.isEmpty()) << path.toStdString();
    }
}

} // namespace
} // namespace tavimo
