#include "app/window_program.h"

#include "app/browser_profile.h"
#include "app/start_up.h"
#include "download/download_root.h"

#include <QApplication>
#include <QStandardPaths>

#include <optional>

namespace tavimo {

WindowProgram::WindowProgram(const QString &downloadRoot)
    : form_(ServiceHosts::builtIn(), files_, dialogs_, downloadRoot),
      windows_(form_, ServiceHosts::builtIn(), files_, downloadRoot)
{
    dialogs_.setParent(&form_);
    EndProgramWhenClosed(form_);
}

namespace {

// The download root (after the error box, when the usual one cannot be
// made), then the program shown.
QCoro::Task<> ShowProgram(std::optional<WindowProgram> &program, std::function<void(WindowProgram &)> shown)
{
    QString root = DefaultDownloadRoot();
    if (root.isEmpty()) {
        const QString tried = QStandardPaths::writableLocation(QStandardPaths::MusicLocation) +
                              QStringLiteral("/TavimoFM");
        WidgetDialogs dialogs;
        co_await ReportMissingDownloadRoot(dialogs, tried);
        root = QCoreApplication::applicationDirPath();
    }
    program.emplace(root);
    program->form().show();
    if (shown)
        shown(*program);
}

} // namespace

int RunWindowProgram(int argc, char **argv, const std::function<void(WindowProgram &)> &shown)
{
    BrowserProfile::PrepareEnvironment();
    QApplication app(argc, argv);
    // The program ends when its main window closes, not with the error box
    // that may come before it.
    app.setQuitOnLastWindowClosed(false);
    std::optional<WindowProgram> program;
    ShowProgram(program, shown);
    return app.exec();
}

} // namespace tavimo
