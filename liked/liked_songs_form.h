#pragma once

#include "album/workflow_context.h"
#include "liked/liked_view.h"

#include <QWidget>

class QLabel;

namespace tavimo {

class BrowserProfile;
class WebBrowser;

// The liked-tracks window: the user signs in on the service's page in the
// browser; the liked page's arrival starts the harvest. A closed window lets
// a running harvest return at its next wait and deletes itself after it.
class likedSongsForm final : public QWidget, public LikedView {
    Q_OBJECT
public:
    static const QString kSignInCaption;

    likedSongsForm(const WorkflowContext &app, BrowserProfile &profile, QWidget *parent = nullptr);
    ~likedSongsForm() override;

    // LikedView
    void setStatus(const QString &text) override;
    void setCaption(const QString &text) override;
    void showProgressLayout() override;
    void closeWindow() override;
    bool isClosed() const override { return closed_; }

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

    WorkflowContext app_;
    bool closed_ = false;
    bool harvesting_ = false;
};

} // namespace tavimo
