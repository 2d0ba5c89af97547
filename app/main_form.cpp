#include "app/main_form.h"

#include "app/form_controls.h"
#include "download/download_root.h"
#include "download/file_downloader.h"
#include "download/job_downloads.h"
#include "net/mod_xml_http.h"
#include "script/dialogs.h"
#include "workflow/album_page_download.h"
#include "workflow/artist_download.h"
#include "workflow/artist_search.h"
#include "workflow/playlist_album_download.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace tavimo {

const QString MainForm::kCaption = QStringLiteral("Rellan Tavimo音乐 TavimoFM 下载工具 v3.5");

namespace {

const QColor kLikedColour(255, 192, 255);
const QColor kAlbumColour(192, 255, 255);
const QColor kArtistColour(192, 192, 255);
const QColor kHotColour(255, 255, 192);

} // namespace

// Disables a workflow button for the length of one run and enables it again
// on every way out of the run.
class MainForm::ButtonBusy {
public:
    ButtonBusy(MainForm &form, QPushButton *button) : form_(form), button_(button) { button_->setEnabled(false); }
    ~ButtonBusy()
    {
        button_->setEnabled(true);
        emit form_.runEnded();
    }
    ButtonBusy(const ButtonBusy &) = delete;
    ButtonBusy &operator=(const ButtonBusy &) = delete;

private:
    MainForm &form_;
    QPushButton *button_;
};

MainForm::MainForm(const ServiceHosts &hosts, FileDownloader &files, Dialogs &dialogs, const QString &downloadRoot,
                   QWidget *parent)
    : QWidget(parent), hosts_(hosts), net_(files.network()), dialogs_(dialogs), downloadRoot_(downloadRoot),
      downloads_(files, std::numeric_limits<int>::max(), 1), context_{hosts,        files.network(), downloads_,
                                                                      downloadRoot, *this,           tables_}
{
    setWindowTitle(kCaption);
    setFixedSize(Px(7785), Px(7770));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    buildFrames();
    buildStatusLine();
    connectButtons();
    Form_Load();
}

MainForm::~MainForm() = default;

void MainForm::Form_Load()
{
    PrepareLikedFolder(downloadRoot_);
}

void MainForm::buildFrames()
{
    Frame[1] = MakeFrame(this, QStringLiteral("Frame(1)"), QStringLiteral(" 下载红心曲目  "), 120, 975);
    Frame[0] = MakeFrame(this, QStringLiteral("Frame(0)"), QStringLiteral(" 下载指定专辑  "), 1200, 975);
    Frame[3] = MakeFrame(this, QStringLiteral("Frame(3)"), QStringLiteral(" 下载指定歌手  "), 2280, 1575);
    Frame[2] = MakeFrame(this, QStringLiteral("Frame(2)"), QStringLiteral(" 下载热门兆赫 "), 3960, 975);

    cmdDownLikedSongs = MakeButton(Frame[1], QStringLiteral("cmdDownLikedSongs"), QStringLiteral("进入下载"),
                                   TwipsRect(5640, 240, 1575, 495), kLikedColour);
    Label[1] = MakeLabel(Frame[1], QStringLiteral("Label(1)"), QStringLiteral("登陆TavimoFM，开始下载加心曲目"),
                         TwipsRect(240, 480, 4935, 255));

    txtAlbumID = MakeTextBox(Frame[0], QStringLiteral("txtAlbumID"), QString(), TwipsRect(240, 360, 4935, 375));
    cmdDown2 = MakeButton(Frame[0], QStringLiteral("cmdDown2"), QStringLiteral("开始下载"),
                          TwipsRect(5640, 240, 1575, 495), kAlbumColour);
    // Below the group's visible area: the playlist method stays out of view.
    // Its top pixel row would still show under the album button as a stray
    // line, so it is hidden outright; its handler stays reachable.
    cmdDown = MakeButton(Frame[0], QStringLiteral("cmdDown"), QStringLiteral("旧方法下载"),
                         TwipsRect(5640, 960, 1575, 495), kAlbumColour);
    cmdDown->hide();

    txtSingerID = MakeTextBox(Frame[3], QStringLiteral("txtSingerID"), QString(), TwipsRect(240, 360, 4935, 375));
    cmdSinger = MakeButton(Frame[3], QStringLiteral("cmdSinger"), QStringLiteral("开始下载"),
                           TwipsRect(5640, 240, 1575, 495), kArtistColour);
    Label[2] = MakeLabel(Frame[3], QStringLiteral("Label(2)"), QStringLiteral("歌手(组合)名字:"),
                         TwipsRect(240, 1080, 2415, 255));
    txtSingerName = MakeTextBox(Frame[3], QStringLiteral("txtSingerName"), QString(), TwipsRect(1920, 960, 3255, 375));
    cmdSinger2 = MakeButton(Frame[3], QStringLiteral("cmdSinger2"), QStringLiteral("开始下载"),
                            TwipsRect(5640, 840, 1575, 495), kArtistColour);

    Label[0] = MakeLabel(Frame[2], QStringLiteral("Label(0)"), QStringLiteral("TavimoFM最热门的400个兆赫(频道)"),
                         TwipsRect(240, 480, 3615, 255));
    cmdDownHot = MakeButton(Frame[2], QStringLiteral("cmdDownHot"), QStringLiteral("进入下载"),
                            TwipsRect(5640, 240, 1575, 495), kHotColour);

    setExamples(hosts_.catalogueAddress(QStringLiteral("/subject/1400101/")),
                hosts_.catalogueAddress(QStringLiteral("/musician/100001/")), QStringLiteral("晓月乐队"));
}

void MainForm::buildStatusLine()
{
    // Wider than the window on purpose: the rest is cut off at its edge.
    lblStatus = MakeLabel(this, QStringLiteral("lblStatus"), QStringLiteral("已就绪... ... "),
                          TwipsRect(120, 7440, 12375, 255));
    lblStatus->setFont(CaptionFont());
    QPalette palette = lblStatus->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblStatus->setPalette(palette);
}

void MainForm::connectButtons()
{
    connect(cmdDownLikedSongs, &QPushButton::clicked, this, &MainForm::likedSongsRequested);
    connect(cmdDownHot, &QPushButton::clicked, this, &MainForm::hotChannelsRequested);
    connect(cmdDown2, &QPushButton::clicked, this, &MainForm::cmdDown2_Click);
    connect(cmdDown, &QPushButton::clicked, this, &MainForm::cmdDown_Click);
    connect(cmdSinger, &QPushButton::clicked, this, &MainForm::cmdSinger_Click);
    connect(cmdSinger2, &QPushButton::clicked, this, &MainForm::cmdSinger2_Click);
}

QCoro::Task<> MainForm::cmdDown2_Click()
{
    ButtonBusy busy(*this, cmdDown2);
    JobDownloads job(downloads_);
    const WorkflowContext context = context_.forJob(job);
    co_await DownloadAlbumByPage(context, txtAlbumID->text());
}

QCoro::Task<> MainForm::cmdDown_Click()
{
    ButtonBusy busy(*this, cmdDown);
    JobDownloads job(downloads_);
    const WorkflowContext context = context_.forJob(job);
    co_await DownloadAlbumByPlaylist(context, txtAlbumID->text());
}

QCoro::Task<> MainForm::cmdSinger_Click()
{
    ButtonBusy busy(*this, cmdSinger);
    JobDownloads job(downloads_);
    const WorkflowContext context = context_.forJob(job);
    co_await DownloadArtistByPage(context, txtSingerID->text());
}

QCoro::Task<> MainForm::cmdSinger2_Click()
{
    if (co_await refusedWhileArtistRuns())
        co_return;
    ButtonBusy busy(*this, cmdSinger2);
    const FoundArtist found = co_await FindArtist(context_, txtSingerName->text());
    if (found.address.isEmpty())
        co_return;
    // The artist button may have started a download during the search.
    if (co_await refusedWhileArtistRuns())
        co_return;
    txtSingerID->setText(found.address);
    co_await cmdSinger_Click();
}

QCoro::Task<bool> MainForm::refusedWhileArtistRuns()
{
    // The artist button's disabled state is the sign of a running artist download.
    if (cmdSinger->isEnabled())
        co_return false;
    co_await showMessage(QStringLiteral("请先等待上一个操作完成"), MessageKind::Information);
    co_return true;
}

void MainForm::setExamples(const QString &albumAddress, const QString &artistAddress, const QString &artistName)
{
    txtAlbumID->setText(albumAddress);
    txtSingerID->setText(artistAddress);
    txtSingerName->setText(artistName);
}

QString MainForm::statusText() const
{
    return lblStatus->text();
}

void MainForm::setStatus(const QString &text)
{
    if (closing_)
        return;
    lblStatus->setText(text);
    emit statusChanged(text);
}

QCoro::Task<> MainForm::showMessage(QString text, MessageKind kind)
{
    if (!closing_)
        co_await dialogs_.messageBox(text, kCaption,
                                     kind == MessageKind::Critical ? DialogIcon::Critical : DialogIcon::Information);
}

void MainForm::closeEvent(QCloseEvent *event)
{
    // Every wait in progress ends at once; the workflows see it and return
    // without writing anything more.
    event->accept();
    if (closing_)
        return;
    closing_ = true;
    net_.cancelAll();
    emit closed();
}

} // namespace tavimo
