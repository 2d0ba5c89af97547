#pragma once

#include "cli/console_output.h"
#include "workflow/main_view.h"

namespace tavimo::cli {

// The main window's status line and message box on the console.
class CliMainView final : public MainView {
public:
    explicit CliMainView(ConsoleOutput &out) : out_(out) {}

    void setStatus(const QString &text) override { out_.status(text); }
    QCoro::Task<> showMessage(QString text, MessageKind kind) override
    {
        if (kind == MessageKind::Critical) {
            out_.error(text);
            ++errorsShown_;
        } else {
            out_.notice(text);
        }
        co_return;
    }
    // How many error messages the run was shown.
    int errorsShown() const { return errorsShown_; }

private:
    ConsoleOutput &out_;
    int errorsShown_ = 0;
};

} // namespace tavimo::cli
