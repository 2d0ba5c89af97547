#pragma once

#include "cli/console_output.h"
#include "workflow/main_view.h"

#include <QStringList>

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
            errorsShown_.append(text);
        } else {
            out_.notice(text);
        }
        co_return;
    }
    // Whether the run was shown this text as an error message.
    bool showedError(const QString &text) const { return errorsShown_.contains(text); }

private:
    ConsoleOutput &out_;
    QStringList errorsShown_;
};

} // namespace tavimo::cli
