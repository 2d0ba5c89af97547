#pragma once

#include "album/workflow_context.h"
#include "hot/hot_context.h"
#include "hot/hot_view.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tavimo {

class BrowserProfile;
class WebBrowser;

// The hot-channel window: the browser opens the radio host, then the
// catalogue of hot channels is listed and a selected channel downloaded.
// A closed window lets its running workflows return at their next wait and
// deletes itself after them.
class hotForm final : public QWidget, public HotView {
    Q_OBJECT
public:
    static const QString kCaption;

    hotForm(const WorkflowContext &app, BrowserProfile &profile, const HotPauses &pauses, QWidget *parent = nullptr);
    ~hotForm() override;

    // HotView
    void setStatus(const QString &text) override;
    void addChannel(const QString &entry, const QString &id) override;
    int selectedChannel() const override;
    QString channelEntry(int position) const override;
    QString channelId(int position) const override;
    void setDownloadEnabled(bool enabled) override;
    bool isClosed() const override { return closed_; }

    QListWidget *LstChannel = nullptr;
    QListWidget *LstChannelID = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdBack = nullptr;
    QLabel *lblStatus = nullptr;
    WebBrowser *WebBrowser1 = nullptr;

signals:
    void statusChanged(const QString &text);
    // The window closed (Form_Unload): the main window is to be shown.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void WebBrowser1_DocumentComplete(const QString &address);
    void cmdDown_Click();
    void cmdBack_Click();
    template <typename Workflow>
    void runWorkflow(Workflow workflow);

    WorkflowContext app_;
    HotPauses pauses_;
    bool closed_ = false;
    bool loaderStarted_ = false;
    int runningWorkflows_ = 0;
};

} // namespace tavimo
