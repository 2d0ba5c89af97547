#include "app/liked_songs_form.h"

#include "app/form_controls.h"
#include "app/web_browser.h"
#include "download/job_downloads.h"
#include "workflow/liked_harvest.h"
#include "workflow/liked_page.h"

#include <QLabel>
#include <QScreen>

namespace tavimo {

const QString likedSongsForm::kSignInCaption = QStringLiteral("请先登录TavimoFM ...");

namespace {

QFont statusFont()
{
    QFont font = CaptionFont();
    font.setPointSize(12);
    font.setBold(true);
    return font;
}

} // namespace

likedSongsForm::likedSongsForm(const WorkflowContext &app, BrowserProfile &profile, QWidget *parent)
    : BrowserFormOf(parent), app_(app)
{
    setWindowTitle(kSignInCaption);
    // The browser covers the status line until the harvest.
    addStatusAndBrowser(QStringLiteral("正在下载中..."), TwipsRect(240, 840, 8415, 375), profile);
    lblStatus->setFont(statusFont());
    QPalette red = lblStatus->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblStatus->setPalette(red);
    Form_Load();
}

likedSongsForm::~likedSongsForm() = default;

void likedSongsForm::Form_Load()
{
    const QRect screenArea = screen()->geometry();
    resize(screenArea.width() - Px(2000), screenArea.height() - Px(2000));
    move(screenArea.center() - rect().center());
    WebBrowser1->setGeometry(Px(50), Px(50), width() - Px(200), height() - Px(600));
    WebBrowser1->Navigate(LikedSignInAddress(app_.hosts));
}

void likedSongsForm::documentComplete(const QString &address)
{
    // One harvest per window: a repeated notification must not start another
    // beside the first one.
    if (!IsLikedPageAddress(app_.hosts, address) || workflowRunning() || windowClosed())
        return;
    harvest();
}

QCoro::Task<> likedSongsForm::harvest()
{
    const WorkflowRun run(*this);
    JobDownloads job(app_.downloads);
    const WorkflowContext app = app_.forJob(job);
    const LikedContext context{app, *this, &closing()};
    co_await HarvestLikedTracks(context);
}

void likedSongsForm::showProgressLayout()
{
    // Kept alive but out of sight, so the status label shows.
    WebBrowser1->setGeometry(Px(-100), Px(-100), 1, 1);
    const QRect screenArea = screen()->geometry();
    resize(Px(8730), Px(3105));
    move(screenArea.right() + 1 - width(), screenArea.bottom() + 1 - height());
}

void likedSongsForm::setCaption(const QString &text)
{
    setWindowTitle(text);
}

void likedSongsForm::closeWindow()
{
    close();
}

} // namespace tavimo
