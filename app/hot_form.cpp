#include "app/hot_form.h"

#include "app/form_controls.h"
#include "app/web_browser.h"
#include "download/job_downloads.h"
#include "workflow/channel_download.h"
#include "workflow/hot_context.h"
#include "workflow/load_hot_channels.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tavimo {

const QString hotForm::kCaption = QStringLiteral("热门兆赫批量下载  - Rellan TavimoFM下载工具 v3.5");

namespace {

const QColor kButtonColour(255, 192, 255);

QListWidget *makeList(QWidget *parent, const QString &name, const QRect &rect)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(rect);
    return list;
}

} // namespace

hotForm::hotForm(const WorkflowContext &app, BrowserProfile &profile, QWidget *parent)
    : BrowserFormOf(parent), app_(app)
{
    setWindowTitle(kCaption);
    setFixedSize(Px(7470), Px(6780));

    LstChannel = makeList(this, QStringLiteral("LstChannel"), TwipsRect(120, 120, 5295, 6150));
    LstChannel->setFont(CaptionFont());
    // Outside the client area and hidden: only the workflows read it.
    LstChannelID = makeList(this, QStringLiteral("LstChannelID"), TwipsRect(9360, 120, 1335, 5460));
    LstChannelID->hide();
    cmdDown = MakeButton(this, QStringLiteral("cmdDown"), QStringLiteral("下载选中频道"),
                         TwipsRect(5640, 120, 1695, 615), kButtonColour);
    cmdBack = MakeButton(this, QStringLiteral("cmdBack"), QStringLiteral("返回主菜单"),
                         TwipsRect(5640, 5760, 1695, 615), kButtonColour);
    addStatusAndBrowser(QStringLiteral("状态:正在打开网页..."), TwipsRect(120, 6480, 9375, 255), profile);
    lblStatus->setFont(CaptionFont());
    WebBrowser1->setGeometry(TwipsRect(11280, 2520, 975, 735));

    connect(cmdDown, &QPushButton::clicked, this, &hotForm::cmdDown_Click);
    connect(cmdBack, &QPushButton::clicked, this, &hotForm::cmdBack_Click);
    Form_Load();
}

hotForm::~hotForm() = default;

void hotForm::Form_Load()
{
    WebBrowser1->setSilent(true);
    WebBrowser1->Navigate(app_.hosts.radioAddress(QStringLiteral("/mine")));
}

void hotForm::documentComplete(const QString &address)
{
    if (!address.contains(app_.hosts.radio))
        return;
    WebBrowser1->Navigate(QStringLiteral("about:blank"));
    // One catalogue per window: a later notification must not list it twice.
    if (loaderStarted_)
        return;
    loaderStarted_ = true;
    loadCatalogue();
}

QCoro::Task<> hotForm::loadCatalogue()
{
    const WorkflowRun run(*this);
    const HotContext context{app_, *this, &closing()};
    co_await LoadHotChannels(context);
}

QCoro::Task<> hotForm::cmdDown_Click()
{
    const int position = LstChannel->selectedItems().isEmpty() ? -1 : LstChannel->currentRow();
    if (position < 0 || position >= channels_.size())
        co_return;
    // A copy: the catalogue may still be growing while the channel downloads.
    const HotChannel channel = channels_.at(position);
    cmdDown->setEnabled(false);
    const WorkflowRun run(*this);
    JobDownloads job(app_.downloads);
    const WorkflowContext app = app_.forJob(job);
    const HotContext context{app, *this, &closing()};
    co_await DownloadChannel(context, channel);
    // A closed window is gone from the user's view: nothing to enable.
    if (!windowClosed())
        cmdDown->setEnabled(true);
}

void hotForm::cmdBack_Click()
{
    close();
}

void hotForm::addChannel(const HotChannel &channel)
{
    LstChannel->addItem(channel.listEntry());
    LstChannelID->addItem(channel.id);
    channels_.append(channel);
}

} // namespace tavimo
