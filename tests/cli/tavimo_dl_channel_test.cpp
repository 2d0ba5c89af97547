#include "support/tavimo_dl_runner.h"

#include "tests/support/cookie_line.h"

#include <QDir>

namespace tavimo::cli::test {
namespace {

// The channel list: 400 lines of identifier, name and track count on stdout.
TEST_F(TavimoDlTest, ChannelsListsTheCatalogue)
{
    const RunResult result = run({QStringLiteral("channels")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 400);
    const emu::Channel &first = emulator.catalogue().channels().front();
    EXPECT_EQ(lines.first(), QString::number(first.id) + u'\t' + QString::fromStdString(first.name) + u'\t' +
                                 QString::number(first.songNum));
    EXPECT_TRUE(root.allFiles().isEmpty());
}

struct SignInRow {
    const char *name;
    bool browserStore;  // the window program's kept cookies instead of --cookies
    QByteArray cookies; // the lines of the cookies file; none at all when null
    int exitCode;
    QString said;
};

// The liked list is read with the session cookie from --cookies or, without
// it, from the sign-in kept by the window program's browser. A cookie the
// service does not know gives an empty list; no cookie for the radio host
// refuses the run with a hint, and nothing is downloaded.
TEST_F(TavimoDlTest, LikedTakesTheSignInFromCookies)
{
    const QByteArray session = tavimo::test::CookieLine(emulator.hosts().radio,
                                                        QByteArray::fromStdString(emu::Emulator::signInCookie()));
    const QByteArray stranger = tavimo::test::CookieLine(emulator.hosts().radio, "tavimo_session=wrong");
    const QByteArray elsewhere = "example.com\tFALSE\t/\tFALSE\t0\ta\tb\n";
    const QString harvested = QStringLiteral("红心下载完毕. 共%1首.").arg(emulator.catalogue().liked().size());
    const SignInRow rows[] = {
        {"session in a cookies file", false, "# Netscape HTTP Cookie File\n#HttpOnly_" + session + '\n', 0, harvested},
        {"unknown session in a cookies file", false, stranger + '\n', 0, QStringLiteral("红心下载完毕. 共0首.")},
        {"no kept sign-in", true, QByteArray(), 2, QStringLiteral("没有找到窗口程序的登录信息")},
        {"kept cookies of another site", true, elsewhere, 2, QStringLiteral("窗口程序的浏览器尚未登录")},
        {"kept session", true, elsewhere + session + '\n', 0, harvested},
    };
    for (const SignInRow &row : rows) {
        SCOPED_TRACE(row.name);
        tavimo::test::TempRoot home;
        tavimo::test::TempRoot into;
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.file(QStringLiteral("data")));
        ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("data/tavimo/browser"))));
        const QString file = row.browserStore ? QStringLiteral("data/tavimo/browser/cookies.txt")
                                              : QStringLiteral("cookies.txt");
        if (!row.cookies.isNull())
            home.write(file, row.cookies);
        QStringList arguments{QStringLiteral("liked")};
        if (!row.browserStore)
            arguments << QStringLiteral("--cookies") << home.file(file);
        const RunResult result = run(arguments, into);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(row.said)) << result.err.toStdString();
        const QStringList liked = QDir(into.file(QStringLiteral("TavimoFM.加心"))).entryList(QDir::Files);
        EXPECT_EQ(into.allFiles().size(), row.said == harvested ? qsizetype(emulator.catalogue().liked().size()) : 0);
        EXPECT_EQ(liked.size(), into.allFiles().size());
    }
}

} // namespace
} // namespace tavimo::cli::test
