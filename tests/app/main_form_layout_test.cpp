#include "tests/app/main_form_fixture.h"

#include "download/download_root.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>

namespace tavimo {
namespace {

using test::MainFormFixture;

struct ControlRow {
    const char *name;
    const char *parent;
    const char *text;
    QRect pixels;
    QColor background;
};

QString TextOf(QWidget *widget)
{
    if (auto *button = qobject_cast<QPushButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *box = qobject_cast<QLineEdit *>(widget))
        return box->text();
    return qobject_cast<QGroupBox *>(widget)->title();
}

class MainFormLayoutTest : public MainFormFixture {};

// Caption, size, groups and controls stand where and as the window is drawn (15 twips a pixel).
TEST_F(MainFormLayoutTest, ControlsCaptionsPositionsAndColours)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Rellan Tavimo音乐 TavimoFM 下载工具 v3.5"));
    EXPECT_EQ(form->size(), QSize(519, 518));
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));

    const QString hosts = emulator.hosts().catalogue;
    const ControlRow rows[] = {
        {"Frame(1)", "", " 下载红心曲目  ", {8, 8, 505, 65}, {}},
        {"Frame(0)", "", " 下载指定专辑  ", {8, 80, 505, 65}, {}},
        {"Frame(3)", "", " 下载指定歌手  ", {8, 152, 505, 105}, {}},
        {"Frame(2)", "", " 下载热门兆赫 ", {8, 264, 505, 65}, {}},
        {"cmdDownLikedSongs", "Frame(1)", "进入下载", {376, 16, 105, 33}, {255, 192, 255}},
        {"Label(1)", "Frame(1)", "登陆TavimoFM，开始下载加心曲目", {16, 32, 329, 17}, {}},
        {"txtAlbumID", "Frame(0)", nullptr, {16, 24, 329, 25}, {}},
        {"cmdDown2", "Frame(0)", "开始下载", {376, 16, 105, 33}, {192, 255, 255}},
        {"cmdDown", "Frame(0)", "旧方法下载", {376, 64, 105, 33}, {192, 255, 255}},
        {"txtSingerID", "Frame(3)", nullptr, {16, 24, 329, 25}, {}},
        {"cmdSinger", "Frame(3)", "开始下载", {376, 16, 105, 33}, {192, 192, 255}},
        {"Label(2)", "Frame(3)", "歌手(组合)名字:", {16, 72, 161, 17}, {}},
        {"txtSingerName", "Frame(3)", nullptr, {128, 64, 217, 25}, {}},
        {"cmdSinger2", "Frame(3)", "开始下载", {376, 56, 105, 33}, {192, 192, 255}},
        {"Label(0)", "Frame(2)", "TavimoFM最热门的400个兆赫(频道)", {16, 32, 241, 17}, {}},
        {"cmdDownHot", "Frame(2)", "进入下载", {376, 16, 105, 33}, {255, 255, 192}},
        {"lblStatus", "", "已就绪... ... ", {8, 496, 825, 17}, {}},
    };
    for (const ControlRow &row : rows) {
        SCOPED_TRACE(row.name);
        auto *widget = form->findChild<QWidget *>(QString::fromUtf8(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf8(row.parent));
        EXPECT_EQ(widget->geometry(), row.pixels);
        if (row.text) {
            EXPECT_EQ(TextOf(widget), QString::fromUtf8(row.text));
        }
        if (row.background.isValid()) {
            EXPECT_TRUE(widget->styleSheet().contains(row.background.name())) << widget->styleSheet().toStdString();
        }
    }
    for (QGroupBox *frame : form->Frame) {
        EXPECT_EQ(frame->palette().color(QPalette::WindowText), QColor(192, 64, 0));
        EXPECT_DOUBLE_EQ(frame->font().pointSizeF(), 10.5);
    }
    EXPECT_EQ(form->lblStatus->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // The playlist button starts one pixel above the bottom of its group: out of view.
    EXPECT_GE(form->cmdDown->y() + 1, form->Frame[0]->height());
    EXPECT_FALSE(form->cmdDown->isVisible());
    EXPECT_TRUE(form->txtAlbumID->text().startsWith(QStringLiteral("http://") + hosts + QStringLiteral("/subject/")));
    EXPECT_TRUE(form->txtSingerID->text().startsWith(QStringLiteral("http://") + hosts + QStringLiteral("/musician/")));
    EXPECT_FALSE(form->txtSingerName->text().isEmpty());
}

// Start-up creates the liked folder empty and leaves an existing one with its files.
TEST_F(MainFormLayoutTest, StartUpPreparesTheLikedFolder)
{
    const QString liked = QString::fromUtf16(kLikedFolderName);
    EXPECT_TRUE(QDir(root.file(liked)).isEmpty());
    root.write(liked + QStringLiteral("/keep.mp3"), "kept");
    MainForm second(emulator.hosts(), files, dialogs, root.path());
    EXPECT_EQ(root.read(liked + QStringLiteral("/keep.mp3")), QByteArray("kept"));
    EXPECT_EQ(second.statusText(), QStringLiteral("已就绪... ... "));
}

// The hand-over buttons announce themselves and are never disabled.
TEST_F(MainFormLayoutTest, HandOverButtonsSignal)
{
    int liked = 0;
    int hot = 0;
    QObject::connect(form.get(), &MainForm::likedSongsRequested, [&] { ++liked; });
    QObject::connect(form.get(), &MainForm::hotChannelsRequested, [&] { ++hot; });
    click(form->cmdDownLikedSongs);
    click(form->cmdDownHot);
    EXPECT_EQ(liked, 1);
    EXPECT_EQ(hot, 1);
    EXPECT_TRUE(form->cmdDownLikedSongs->isEnabled());
    EXPECT_TRUE(form->cmdDownHot->isEnabled());
}

} // namespace
} // namespace tavimo
