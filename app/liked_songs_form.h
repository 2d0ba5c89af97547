#pragma once

#include "app/browser_form.h"
#include "workflow/liked_view.h"
#include "workflow/workflow_context.h"

namespace tavimo {

// The liked-tracks window: the user signs in on the service's page in the
// browser; the liked page's arrival starts the harvest.
class likedSongsForm final : public BrowserFormOf<LikedView> {
    Q_OBJECT
public:
    static const QString kSignInCaption;

    likedSongsForm(const WorkflowContext &app, BrowserProfile &profile, QWidget *parent = nullptr);
    ~likedSongsForm() override;

    // LikedView
    void setCaption(const QString &text) override;
    void showProgressLayout() override;
    void closeWindow() override;

private:
    void Form_Load();
    void documentComplete(const QString &address) override;
    QCoro::Task<> harvest();

    WorkflowContext app_;
};

} // namespace tavimo
