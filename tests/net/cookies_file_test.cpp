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
    const QList<QNetworkCookie> read = ReadCookiesFile(path);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].toRawForm(), session.toRawForm());
    EXPECT_TRUE(read[0].isSessionCookie());
    EXPECT_EQ(read[1].toRawForm(), lasting.toRawForm());
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
}

// Comments, blank, short, long and non-numeric lines are passed over; a
// missing file gives no cookie.
TEST(CookiesFile, SkipsMalformedLines)
{
    const QString text = QStringLiteral("# comment\n\n"
                                        "radio.tavimo.com\tFALSE\t/\tFALSE\t0\tok\tyes\n"
                                        "short\tline\n"
                                        "a\tFALSE\t/\tFALSE\tsoon\tname\tvalue\n"
                                        "a\tFALSE\t/\tFALSE\t0\tname\tvalue\textra\n"
                                        "\tFALSE\t/\tFALSE\t0\tname\tvalue\n"
                                        "a\tFALSE\t/\tFALSE\t0\t\tvalue\n");
    const QList<QNetworkCookie> cookies = ParseCookiesText(text);
    ASSERT_EQ(cookies.size(), 1);
    EXPECT_EQ(cookies[0].name(), QByteArray("ok"));
    EXPECT_TRUE(ReadCookiesFile(QStringLiteral("/nonexistent/cookies.txt")).isEmpty());
}

} // namespace
} // namespace tavimo
