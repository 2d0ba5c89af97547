#include "app/liked_songs_form.h"

#include "app/web_browser.h"
#include "tests/support/browser_windows_fixture.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

namespace tavimo {
namespace {

using test::WaitUntil;

const QString kLikedFolder = QStringLiteral("TavimoFM.加心");

class LikedFormTest : public test::BrowserWindowsTest {
protected:
    // Opens the window and waits for the sign-in page.
    likedSongsForm *openAtSignIn()
    {
        likedSongsForm *form = windows->openLiked();
        QSignalSpy complete(form->WebBrowser1, &WebBrowser::DocumentComplete);
        EXPECT_TRUE(complete.wait(30000));
        EXPECT_EQ(complete.first().first().toString(),
                  hosts.radioAddress(QStringLiteral("/common_login?redir=/mine?type=liked")));
        return form;
    }

    // Fills in and sends the service's sign-in form inside the browser.
    void signIn(likedSongsForm *form)
    {
        form->WebBrowser1->page()->runJavaScript(QStringLiteral(
            "document.getElementById('email').value = 'fan@example.com';"
            "document.getElementById('password').value = 'secret';"
            "document.getElementById('lzform').submit();"));
    }

    // Waits until the window has closed itself after the harvest.
    bool waitForHarvestEnd(QPointer<likedSongsForm> form)
    {
        return WaitUntil([&] { return form.isNull() && main->isVisible(); });
    }

    std::vector<emu::RequestRecord> listRequests() const { return requests("/mine?start="); }

    QStringList statuses;
};

// A newcomer signs in on the service's page; the harvest then reads the list
// pages with the browser's session cookie, downloads every liked track into
// the liked folder (equal titles kept apart by " - reName") and reports in the
// main window, whose status line it writes before closing itself. The harvest
// runs once, however often the liked page is announced.
TEST_F(LikedFormTest, SignInThenHarvest)
{
    QPointer<likedSongsForm> form = openAtSignIn();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("请先登录TavimoFM ..."));
    QObject::connect(form, &likedSongsForm::statusChanged, [this](const QString &text) { statuses.append(text); });
    QString captionDuringHarvest;
    QObject::connect(form, &likedSongsForm::statusChanged, form, [&](const QString &text) {
        captionDuringHarvest = form->windowTitle();
        // A second notification of the liked page during the harvest starts no second one.
        if (text.startsWith(QStringLiteral("下载第1首")))
            emit form->WebBrowser1->DocumentComplete(hosts.radioAddress(QStringLiteral("/mine?type=liked")));
    });
    signIn(form);
    ASSERT_TRUE(waitForHarvestEnd(form));

    const auto &liked = emulator.catalogue().liked();
    EXPECT_EQ(main->statusText(), QStringLiteral("红心下载完毕. 共%1首.").arg(liked.size()));
    EXPECT_EQ(captionDuringHarvest, QStringLiteral("TavimoFM 红心曲目下载"));
    ASSERT_EQ(statuses.size(), qsizetype(liked.size()));
    EXPECT_EQ(statuses[0], QStringLiteral("下载第1首:  《") + QString::fromStdString(liked[0].title) +
                               QStringLiteral("》 ..."));
    // The status lines show the titles as the page has them, without the suffix.
    EXPECT_TRUE(statuses.contains(QStringLiteral("下载第21首:  《晴天》 ...")));

    const QStringList files = filesIn(kLikedFolder);
    EXPECT_EQ(files.size(), qsizetype(liked.size()));
    EXPECT_TRUE(files.contains(QStringLiteral("晴天.mp3")));
    EXPECT_TRUE(files.contains(QStringLiteral("晴天 - reName.mp3")));
    EXPECT_TRUE(files.contains(QStringLiteral("晴天 - reName - reName.mp3")));
    EXPECT_TRUE(files.contains(QStringLiteral("Hello.mp3")));
    EXPECT_TRUE(files.contains(QStringLiteral("hello.mp3")));

    const auto pages = listRequests();
    ASSERT_EQ(pages.size(), 4u); // 44 tracks: offsets 0, 15, 30 and the empty 45
    for (size_t k = 0; k < pages.size(); ++k) {
        EXPECT_EQ(pages[k].target, "/mine?start=" + std::to_string(15 * k) + "&type=liked");
        EXPECT_NE(pages[k].header("Cookie").find(emu::Emulator::signInCookie()), std::string::npos);
    }
    EXPECT_EQ(requests("/view/song/small/p").front().target, "/view/song/small/p" + liked[0].songId + "_192k.mp3");
}

// Closing the window during the harvest shows the main window, stops at the
// next wait, writes no summary and leaves no partial file.
TEST_F(LikedFormTest, ClosingMidHarvestStops)
{
    emulator.setMp3Size(300000);
    emulator.setFault("/view/song", emu::Fault::of(emu::FaultKind::Bandwidth, 300000));
    QPointer<likedSongsForm> form = openAtSignIn();
    QObject::connect(form, &likedSongsForm::statusChanged, form, [&](const QString &text) {
        if (text.startsWith(QStringLiteral("下载第2首")))
            QTimer::singleShot(200, form, [&] { form->close(); });
    });
    signIn(form);
    ASSERT_TRUE(WaitUntil([&] { return form.isNull(); }));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->statusText(), QStringLiteral("已就绪... ... "));
    const QStringList files = filesIn(kLikedFolder);
    EXPECT_LE(files.size(), 2);
    for (const QString &file : files)
        EXPECT_EQ(root.read(kLikedFolder + u'/' + file).size(), 300000) << file.toStdString();
}

} // namespace
} // namespace tavimo
