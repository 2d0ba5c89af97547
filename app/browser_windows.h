#pragma once

#include "app/browser_profile.h"
#include "app/hot_form.h"
#include "app/liked_songs_form.h"
#include "workflow/workflow_context.h"

#include <QObject>
#include <QPointer>

namespace tavimo {

class FileDownloader;
class MainForm;

// The main window's hand-over to the two browser windows: its button hides
// it and shows the window, closing the window shows it again, and closing
// the main window closes both. Owns the program's browser profile, which is
// started only when one of these windows first opens.
class BrowserWindows : public QObject {
    Q_OBJECT
public:
    BrowserWindows(MainForm &main, const ServiceHosts &hosts, FileDownloader &files, const QString &downloadRoot,
                   const QString &browserStorage = BrowserProfile::defaultStoragePath());
    ~BrowserWindows() override;

    hotForm *openHot();
    likedSongsForm *openLiked();

    // The open windows, or null.
    hotForm *hot() const { return hot_; }
    likedSongsForm *liked() const { return liked_; }
    BrowserProfile &profile() { return profile_; }
    const ServiceHosts &hosts() const { return context_.hosts; }

    // Pauses of the channel workflows for windows opened from now on.
    WorkflowPauses &pauses() { return context_.pauses; }

private:
    void closeAll();
    template <typename Form>
    void handOver(Form *form);

    MainForm &main_;
    WorkflowContext context_;
    BrowserProfile profile_;
    QPointer<hotForm> hot_;
    QPointer<likedSongsForm> liked_;
    // Every window opened, including closed ones still finishing a workflow.
    QList<QPointer<QWidget>> forms_;
};

} // namespace tavimo
