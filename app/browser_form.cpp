#include "app/browser_form.h"

#include "app/form_controls.h"
#include "app/web_browser.h"

#include <QCloseEvent>
#include <QLabel>

namespace tavimo {

BrowserForm::BrowserForm(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void BrowserForm::addStatusAndBrowser(const QString &status, const QRect &statusRect, BrowserProfile &profile)
{
    lblStatus = MakeLabel(this, QStringLiteral("lblStatus"), status, statusRect);
    WebBrowser1 = new WebBrowser(profile, this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    connect(WebBrowser1, &WebBrowser::DocumentComplete, this, &BrowserForm::documentComplete);
}

void BrowserForm::showStatus(const QString &text)
{
    lblStatus->setText(text);
    emit statusChanged(text);
}

void BrowserForm::workflowEnded()
{
    // The window outlives every workflow that reports to it.
    if (--runningWorkflows_ == 0 && closed_)
        deleteLater();
}

void BrowserForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (closed_)
        return;
    closed_ = true;
    closing_.raise();
    emit closed();
    if (runningWorkflows_ == 0)
        deleteLater();
}

} // namespace tavimo
