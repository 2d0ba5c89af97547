#include "support/tavimo_dl_runner.h"

#include "net/browser_storage.h"
#include "tests/support/cookie_line.h"

#include <QDir>
#include <QTemporaryFile>

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

// A channel download fills the channel's folder.
TEST_F(TavimoDlTest, ChannelDownloadsIntoItsFolder)
{
    const emu::Channel &channel = emulator.catalogue().channels().front();
    const RunResult result = run({QStringLiteral("channel"), QString::number(channel.id)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("MP3下载完毕.\n")));
    const QDir folder(root.file(QStringLiteral("热门兆赫 - ") + QString::fromStdString(channel.name)));
    EXPECT_EQ(folder.entryList(QDir::Files).size(),
              static_cast<qsizetype>(emulator.catalogue().channelTitles(channel).size()));
}

QString CookiesFileWith(QTemporaryFile &file, const QString &host, const QByteArray &cookieLine)
{
    EXPECT_TRUE(file.open());
    file.write("# Netscape HTTP Cookie File\n");
    file.write(QStringLiteral("#HttpOnly_%1\tFALSE\t/\tFALSE\t0\t").arg(host.section(u':', 0, 0)).toUtf8() + cookieLine + '\n');
    file.close();
    return file.fileName();
}

// With the session cookie every liked track arrives; without it the list is
// empty.
TEST_F(TavimoDlTest, LikedWithAndWithoutTheSessionCookie)
{
    const QString host = emulator.hosts().radio;
    const QByteArray session = QByteArray::fromStdString(emu::Emulator::signInCookie()).replace('=', '\t');
    QTemporaryFile signedIn;
    const RunResult harvest = run({QStringLiteral("liked"), QStringLiteral("--cookies"), CookiesFileWith(signedIn, host, session)});
    EXPECT_EQ(harvest.exitCode, 0) << harvest.err.toStdString();
    const size_t liked = emulator.catalogue().liked().size();
    EXPECT_TRUE(harvest.err.contains(QStringLiteral("红心下载完毕. 共%1首.").arg(liked))) << harvest.err.toStdString();
    EXPECT_FALSE(QDir(root.file(QStringLiteral("TavimoFM.加心"))).entryList(QDir::Files).isEmpty());

    tavimo::test::TempRoot other;
    QTemporaryFile stranger;
    const RunResult signedOut = run({QStringLiteral("liked"), QStringLiteral("--cookies"),
                                     CookiesFileWith(stranger, host, "tavimo_session\twrong")}, other);
    EXPECT_EQ(signedOut.exitCode, 0) << signedOut.err.toStdString();
    EXPECT_TRUE(signedOut.err.contains(QStringLiteral("红心下载完毕. 共0首."))) << signedOut.err.toStdString();
}

// Without --cookies the sign-in kept by the window program's browser is used;
// when that browser (or a cookies file) holds none for the radio host the run
// is refused with a hint, and nothing is downloaded.
TEST_F(TavimoDlTest, LikedUsesTheBrowserSignIn)
{
    tavimo::test::TempRoot home;
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.file(QStringLiteral("data")));
    const QString storage = home.file(QStringLiteral("data/tavimo/browser"));
    ASSERT_TRUE(QDir().mkpath(storage));

    tavimo::test::TempRoot none;
    const RunResult missing = run({QStringLiteral("liked")}, none);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("--cookies"))) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains(QStringLiteral("窗口程序"))) << missing.err.toStdString();

    const QString host = emulator.hosts().radio.section(u':', 0, 0);
    const QByteArray elsewhere = "example.com\tFALSE\t/\tFALSE\t0\ta\tb\n";
    home.write(QStringLiteral("data/tavimo/browser/cookies.txt"), elsewhere);
    const RunResult signedOut = run({QStringLiteral("liked")}, none);
    EXPECT_EQ(signedOut.exitCode, 2);
    EXPECT_TRUE(signedOut.err.contains(QStringLiteral("--cookies"))) << signedOut.err.toStdString();
    EXPECT_TRUE(none.allFiles().isEmpty());

    const QByteArray session = tavimo::test::CookieLine(host, QByteArray::fromStdString(emu::Emulator::signInCookie()));
    home.write(QStringLiteral("data/tavimo/browser/cookies.txt"), elsewhere + session + '\n');
    const RunResult harvest = run({QStringLiteral("liked")});
    EXPECT_EQ(harvest.exitCode, 0) << harvest.err.toStdString();
    const size_t liked = emulator.catalogue().liked().size();
    EXPECT_TRUE(harvest.err.contains(QStringLiteral("红心下载完毕. 共%1首.").arg(liked))) << harvest.err.toStdString();
}

} // namespace
} // namespace tavimo::cli::test
