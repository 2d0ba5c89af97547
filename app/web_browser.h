#pragma once

#include <QString>
#include <QWebEngineView>

namespace tavimo {

class BrowserProfile;

// `WebBrowser1` of the browser windows: a web view on the program's one
// profile with the operations the windows use.
class WebBrowser : public QWebEngineView {
    Q_OBJECT
public:
    WebBrowser(BrowserProfile &profile, QWidget *parent = nullptr);
    ~WebBrowser() override;

    void Navigate(const QString &address);
    // No script alert, confirm or prompt boxes and no console chatter.
    void setSilent(bool silent);
    bool isSilent() const;

signals:
    // A document finished loading, with its address. Delivered through the
    // event queue, so a handler may run a long, waiting workflow.
    void DocumentComplete(const QString &address);

private:
    void onLoadFinished(bool ok);
};

} // namespace tavimo
