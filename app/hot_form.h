#pragma once

#include "app/browser_form.h"
#include "workflow/hot_view.h"
#include "workflow/workflow_context.h"

#include <QList>

class QListWidget;
class QPushButton;

namespace tavimo {

// The hot-channel window: the browser opens the radio host, then the
// catalogue of hot channels is listed and a selected channel downloaded.
class hotForm final : public BrowserFormOf<HotView> {
    Q_OBJECT
public:
    static const QString kCaption;

    hotForm(const WorkflowContext &app, BrowserProfile &profile, QWidget *parent = nullptr);
    ~hotForm() override;

    // HotView
    void addChannel(const HotChannel &channel) override;

    QListWidget *LstChannel = nullptr;
    QListWidget *LstChannelID = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdBack = nullptr;

private:
    void Form_Load();
    void documentComplete(const QString &address) override;
    QCoro::Task<> loadCatalogue();
    QCoro::Task<> cmdDown_Click();
    void cmdBack_Click();

    WorkflowContext app_;
    // The listed channels, at the positions of their list entries.
    QList<HotChannel> channels_;
    bool loaderStarted_ = false;
};

} // namespace tavimo
