#pragma once

#include "workflow/workflow_context.h"
#include "app/browser_form.h"
#include "workflow/hot_context.h"
#include "workflow/hot_view.h"

class QListWidget;
class QPushButton;

namespace tavimo {

// The hot-channel window: the browser opens the radio host, then the
// catalogue of hot channels is listed and a selected channel downloaded.
class hotForm final : public BrowserForm, public HotView {
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
    bool isClosed() const override { return windowClosed(); }

    QListWidget *LstChannel = nullptr;
    QListWidget *LstChannelID = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdBack = nullptr;

private:
    void Form_Load();
    void documentComplete(const QString &address) override;
    void cmdDown_Click();
    void cmdBack_Click();
    template <typename Workflow>
    void runHotWorkflow(Workflow workflow);

    WorkflowContext app_;
    HotPauses pauses_;
    bool loaderStarted_ = false;
};

} // namespace tavimo
