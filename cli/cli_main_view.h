#pragma once

#include "workflow/main_view.h"
#include "cli/console_output.h"
#include "cli/run_verdict.h"

#include <QMap>

namespace tavimo::cli {

// The main window's interface on the console: status texts and message
// boxes are printed, the text boxes hold what the command line gave, and
// the workflow's verdicts are noted for the exit status.
class CliMainView final : public MainView {
public:
    CliMainView(ConsoleOutput &out, RunVerdict &verdict) : out_(out), verdict_(verdict) {}

    void setStatus(const QString &text) override;
    void showMessage(const QString &text, DialogIcon icon) override;

    bool isButtonEnabled(MainButton button) const override { return !disabled_.value(button, false); }
    void setButtonEnabled(MainButton button, bool enabled) override { disabled_[button] = !enabled; }

    QString albumIdText() const override { return albumId_; }
    QString singerIdText() const override { return singerId_; }
    void setSingerIdText(const QString &text) override { singerId_ = text; }
    QString singerNameText() const override { return singerName_; }

    void setAlbumIdText(const QString &text) { albumId_ = text; }
    void setSingerNameText(const QString &text) { singerName_ = text; }

private:
    ConsoleOutput &out_;
    RunVerdict &verdict_;
    QMap<MainButton, bool> disabled_;
    QString albumId_;
    QString singerId_;
    QString singerName_;
};

// Whether a message box text refuses the user's input (a bad address, an
// artist that does not exist or cannot be found).
bool RejectsInput(const QString &message);
// Whether a status text reports that a workflow found nothing to download.
bool ReportsFailure(const QString &status);

} // namespace tavimo::cli
