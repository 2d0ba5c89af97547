#include "app/hot_form.h"

#include "app/web_browser.h"
#include "tests/support/browser_windows_fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace tavimo {
namespace {

using test::WaitUntil;

const QString kLoaded = QStringLiteral("400个热门兆赫，共获取MP3 %1 首。");

class HotFormTest : public test::BrowserWindowsTest {
protected:
    qint64 catalogueTotal() const
    {
        qint64 total = 0;
        for (const emu::Channel &channel : emulator.catalogue().channels())
            total += channel.songNum;
        return total;
    }

    // Opens the window and waits for the whole catalogue.
    hotForm *openLoaded()
    {
        hotForm *form = windows->openHot();
        statuses.clear();
        QObject::connect(form, &hotForm::statusChanged, [this](const QString &text) { statuses.append(text); });
        EXPECT_TRUE(WaitUntil([&] { return form->lblStatus->text() == kLoaded.arg(catalogueTotal()); }));
        return form;
    }

    // Selects a channel, presses the download button and waits for its end.
    void downloadChannel(hotForm *form, int position)
    {
        form->LstChannel->setCurrentRow(position);
        form->cmdDown->click();
        EXPECT_TRUE(WaitUntil([&] { return form->cmdDown->isEnabled(); }));
    }

    QString channelFolder(int position) const
    {
        return QStringLiteral("热门兆赫 - ") +
               QString::fromStdString(emulator.catalogue().channels()[size_t(position)].name);
    }

    QStringList statuses;
};

// The window opens in place of the main window, then lists all 400 channels
// from two catalogue pages with the real two-second pauses after each page;
// a repeated notification from the radio host while the catalogue loads does
// not list the channels twice.
TEST_F(HotFormTest, ListsTheCatalogueOfFourHundredChannels)
{
    windows->pauses() = WorkflowPauses{};
    QElapsedTimer clock;
    clock.start();
    hotForm *form = windows->openHot();
    QObject::connect(form, &hotForm::statusChanged, [this](const QString &text) { statuses.append(text); });
    ASSERT_TRUE(WaitUntil([&] { return form->LstChannel->count() > 0; }));
    emit form->WebBrowser1->DocumentComplete(hosts.radioAddress(QStringLiteral("/mine")));
    ASSERT_TRUE(WaitUntil([&] { return form->lblStatus->text() == kLoaded.arg(catalogueTotal()); }));
    EXPECT_GE(clock.elapsed(), 4000);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(form->isVisible());

    ASSERT_EQ(form->LstChannel->count(), 400);
    ASSERT_EQ(form->LstChannelID->count(), 400);
    EXPECT_EQ(form->LstChannel->item(0)->text(), QStringLiteral("华语 兆赫 1\t[123首]"));
    EXPECT_EQ(form->LstChannelID->item(0)->text(), QStringLiteral("101"));
    EXPECT_EQ(form->LstChannelID->item(399)->text(), QStringLiteral("500"));
    EXPECT_FALSE(form->LstChannelID->isVisible());
    EXPECT_EQ(statuses.first(), QStringLiteral("正在加载400个热门兆赫,请稍后... ..."));

    const auto pages = requests("/j/explore/hot_channels");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].target, "/j/explore/hot_channels?start=0&limit=200");
    EXPECT_EQ(pages[1].target, "/j/explore/hot_channels?start=200&limit=200");
    EXPECT_EQ(requests("/").front().target, "/mine");
}

// A catalogue page that cannot be read adds nothing; the other page still
// comes, and the closing total counts only its channels.
TEST_F(HotFormTest, UnreadableFirstPageContributesNothing)
{
    emulator.setFault("/j/explore/hot_channels?start=0", emu::Fault::of(emu::FaultKind::Garbage));
    hotForm *form = windows->openHot();
    qint64 secondHalf = 0;
    for (size_t i = 200; i < 400; ++i)
        secondHalf += emulator.catalogue().channels()[i].songNum;
    ASSERT_TRUE(WaitUntil([&] { return form->lblStatus->text() == kLoaded.arg(secondHalf); }));
    EXPECT_EQ(form->LstChannel->count(), 200);
    EXPECT_EQ(form->LstChannelID->item(0)->text(), QStringLiteral("301"));
}

// A channel download takes every new title once and ends after ten cycles in
// a row without one, with the per-track and per-cycle texts.
TEST_F(HotFormTest, ChannelDownloadEndsAfterTenIdleCycles)
{
    hotForm *form = openLoaded();
    const emu::Channel &channel = emulator.catalogue().channels()[0];
    statuses.clear();
    downloadChannel(form, 0);

    EXPECT_EQ(statuses.last(), QStringLiteral("MP3下载完毕."));
    const auto titles = emulator.catalogue().channelTitles(channel);
    EXPECT_EQ(filesIn(channelFolder(0)).size(), qsizetype(titles.size()));
    const QString first = QString::fromStdString(titles.front());
    EXPECT_EQ(statuses[0], QStringLiteral("下载第1首: ") + first + QStringLiteral(".mp3 ... ..."));
    EXPECT_EQ(statuses[1], QStringLiteral("已下载1首MP3."));
    EXPECT_TRUE(statuses.contains(QStringLiteral("已下载%1首, 2秒后继续, 请稍后... ...").arg(titles.size())));
    EXPECT_EQ(requests("/j/mine/playlist").size(), size_t(channel.freshCycles + 10));
    EXPECT_EQ(requests("/j/mine/playlist").front().target, "/j/mine/playlist?from=mainsite&type=n&channel=101");

    // A second download of the same channel skips the stored files but gets
    // its full ten idle cycles again; a refused playlist request is asked
    // again after a pause until the service answers, with the retry text
    // each time.
    emulator.clearRequestLog();
    emulator.resetChannels();
    emulator.setFault("/j/mine/playlist", emu::Fault::of(emu::FaultKind::Refused, 0, 3));
    statuses.clear();
    downloadChannel(form, 0);
    EXPECT_EQ(requests("/view/song").size(), 0u);
    EXPECT_EQ(statuses.count(QStringLiteral("请求失效，正在重试...")), 3);
    EXPECT_EQ(statuses.last(), QStringLiteral("MP3下载完毕."));
    EXPECT_EQ(requests("/j/mine/playlist").size(), size_t(channel.freshCycles + 10 + 3));
}

// Without a selected channel the download button does nothing; the back button shows the main
// window again.
TEST_F(HotFormTest, NoSelectionDoesNothingAndBackShowsTheMainWindow)
{
    QPointer<hotForm> form = openLoaded();
    form->cmdDown->click();
    EXPECT_TRUE(form->cmdDown->isEnabled());
    EXPECT_EQ(requests("/j/mine/playlist").size(), 0u);
    form->cmdBack->click();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return form.isNull(); }));
    // Opening again starts with empty lists and loads afresh.
    hotForm *again = windows->openHot();
    EXPECT_EQ(again->LstChannel->count(), 0);
    EXPECT_EQ(again->lblStatus->text(), QStringLiteral("状态:正在打开网页..."));
}

// Closing the window in the middle of a download shows the main window,
// stops the download at its next wait and leaves no partial file.
TEST_F(HotFormTest, ClosingMidDownloadStops)
{
    QPointer<hotForm> form = openLoaded();
    emulator.setMp3Size(400000);
    emulator.setFault("/view/song", emu::Fault::of(emu::FaultKind::Bandwidth, 400000));
    form->LstChannel->setCurrentRow(2);
    QObject::connect(form, &hotForm::statusChanged, form, [&](const QString &text) {
        if (text.startsWith(QStringLiteral("下载第1首")))
            QTimer::singleShot(300, form, [&] { form->close(); });
    });
    form->cmdDown->click();
    ASSERT_TRUE(WaitUntil([&] { return form.isNull(); }));
    EXPECT_TRUE(main->isVisible());
    // Closed during the first cycle's first track: no further cycle was asked for.
    EXPECT_EQ(requests("/j/mine/playlist").size(), 1u);
    for (const QString &file : filesIn(channelFolder(2)))
        EXPECT_EQ(root.read(channelFolder(2) + u'/' + file).size(), 400000) << file.toStdString();
}

} // namespace
} // namespace tavimo
