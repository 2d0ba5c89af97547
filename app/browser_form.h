#pragma once

#include "net/stop.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <qcoro/qcorotask.h>

class QLabel;

namespace tavimo {

class BrowserProfile;
class WebBrowser;

// What the two browser windows share: a white window with a status line and
// `WebBrowser1`, and a close that never pulls the window out from under a
// running workflow. Closing the window raises its stop, which ends its
// workflows' page fetches and pauses at once; a track in transfer is still
// finished. It deletes itself after the last workflow ended.
class BrowserForm : public QWidget {
    Q_OBJECT
public:
    explicit BrowserForm(QWidget *parent = nullptr);

    QLabel *lblStatus = nullptr;
    WebBrowser *WebBrowser1 = nullptr;

    void showStatus(const QString &text);
    bool windowClosed() const { return closed_; }
    // Raised when the window closes.
    const Stop &closing() const { return closing_; }

signals:
    void statusChanged(const QString &text);
    // The window closed (Form_Unload): the main window is to be shown.
    void closed();

protected:
    // Creates the status line and then the browser above it; the browser's
    // document-complete notifications go to documentComplete.
    void addStatusAndBrowser(const QString &status, const QRect &statusRect, BrowserProfile &profile);
    virtual void documentComplete(const QString &address) = 0;

    // Counts a workflow that reports to this window for as long as it lives,
    // so the window outlives every one of them.
    class WorkflowRun {
    public:
        explicit WorkflowRun(BrowserForm &form) : form_(form) { ++form_.runningWorkflows_; }
        ~WorkflowRun() { form_.workflowEnded(); }
        WorkflowRun(const WorkflowRun &) = delete;
        WorkflowRun &operator=(const WorkflowRun &) = delete;

    private:
        BrowserForm &form_;
    };
    bool workflowRunning() const { return runningWorkflows_ > 0; }

    void closeEvent(QCloseEvent *event) override;

private:
    void workflowEnded();

    bool closed_ = false;
    Stop closing_;
    int runningWorkflows_ = 0;
};

// A browser window that a workflow reports to through View: the status line
// and the closed state are the window's own.
template <typename View>
class BrowserFormOf : public BrowserForm, public View {
public:
    using BrowserForm::BrowserForm;

    void setStatus(const QString &text) override { showStatus(text); }
    bool isClosed() const override { return windowClosed(); }
};

} // namespace tavimo
