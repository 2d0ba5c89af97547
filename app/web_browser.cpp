#include "app/web_browser.h"

#include "app/browser_profile.h"

#include <QWebEnginePage>

namespace tavimo {

namespace {

// A page that can keep every script dialog and console message to itself.
class SilentPage : public QWebEnginePage {
public:
    SilentPage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent) {}

    bool silent = false;

protected:
    void javaScriptAlert(const QUrl &origin, const QString &message) override
    {
        if (!silent)
            QWebEnginePage::javaScriptAlert(origin, message);
    }
    bool javaScriptConfirm(const QUrl &origin, const QString &message) override
    {
        return silent ? false : QWebEnginePage::javaScriptConfirm(origin, message);
    }
    bool javaScriptPrompt(const QUrl &origin, const QString &message, const QString &defaultValue,
                          QString *result) override
    {
        return silent ? false : QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override
    {
        if (!silent)
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }
};

} // namespace

WebBrowser::WebBrowser(BrowserProfile &profile, QWidget *parent) : QWebEngineView(parent)
{
    setPage(new SilentPage(profile.profile(), this));
    connect(page(), &QWebEnginePage::loadFinished, this, &WebBrowser::onLoadFinished);
}

WebBrowser::~WebBrowser()
{
    // The page must go before the view's end and before the profile does.
    delete page();
}

void WebBrowser::Navigate(const QString &address)
{
    load(QUrl(address));
}

void WebBrowser::setSilent(bool silent)
{
    static_cast<SilentPage *>(page())->silent = silent;
}

bool WebBrowser::isSilent() const
{
    return static_cast<SilentPage *>(page())->silent;
}

void WebBrowser::onLoadFinished(bool ok)
{
    // A failed load (no network, refused connection) is no document.
    if (!ok)
        return;
    const QString address = url().toString(QUrl::FullyEncoded);
    // Queued with this view as context: dropped if the view is gone by then.
    QMetaObject::invokeMethod(
        this, [this, address] { emit DocumentComplete(address); }, Qt::QueuedConnection);
}

} // namespace tavimo
