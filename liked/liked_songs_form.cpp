#include "liked/liked_songs_form.h"

#include "app/form_controls.h"
#include "app/web_browser.h"
#include "liked/liked_harvest.h"
#include "liked/liked_page.h"

#include <QCloseEvent>
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
    : QWidget(parent), app_(app)
{
    setWindowTitle(kSignInCaption);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    lblStatus = MakeLabel(this, QStringLiteral("lblStatus"), QStringLiteral("正在下载中..."),
                          TwipsRect(240, 840, 8415, 375));
    lblStatus->setFont(statusFont());
    QPalette red = lblStatus->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblStatus->setPalette(red);
    // Created after the label, so the browser covers it until the harvest.
    WebBrowser1 = new WebBrowser(profile, this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    connect(WebBrowser1, &WebBrowser::DocumentComplete, this, &likedSongsForm::WebBrowser1_DocumentComplete);
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

void likedSongsForm::WebBrowser1_DocumentComplete(const QString &address)
{
    // One harvest per window: a repeated notification must not start another
    // inside the first one's waits.
    if (!IsLikedPageAddress(app_.hosts, address) || harvesting_ || closed_)
        return;
    harvesting_ = true;
    LikedContext context{app_, *this};
    HarvestLikedTracks(context);
    harvesting_ = false;
    if (closed_)
        deleteLater();
}

void likedSongsForm::showProgressLayout()
{
    // Kept alive but out of sight, so the status label shows.
    WebBrowser1->setGeometry(Px(-100), Px(-100), 1, 1);
    const QRect screenArea = screen()->geometry();
    resize(Px(8730), Px(3105));
    move(screenArea.right() + 1 - width(), screenArea.bottom() + 1 - height());
}

void likedSongsForm::setStatus(const QString &text)
{
    lblStatus->setText(text);
    emit statusChanged(text);
}

void likedSongsForm::setCaption(const QString &text)
{
    setWindowTitle(text);
}

void likedSongsForm::closeWindow()
{
    close();
}

void likedSongsForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (closed_)
        return;
    closed_ = true;
    emit closed();
    if (!harvesting_)
        deleteLater();
}

} // namespace tavimo
