#include "app/window_program.h"

#include "app/browser_profile.h"
#include "app/start_up.h"
#include "download/download_root.h"

#include <QApplication>
#include <QStandardPaths>

namespace tavimo {

WindowProgram::WindowProgram(const QString &downloadRoot)
    : form_(ServiceHosts::builtIn(), files_, dialogs_, downloadRoot),
      windows_(form_, ServiceHosts::builtIn(), files_, downloadRoot)
{
    dialogs_.setParent(&form_);
    EndProgramWhenClosed(form_);
}

int RunWindowProgram(int argc, char **argv, const std::function<void(WindowProgram &)> &shown)
{
    BrowserProfile::PrepareEnvironment();
    QApplication app(argc, argv);

    QString root = DefaultDownloadRoot();
    if (root.isEmpty()) {
        const QString tried = QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + QStringLiteral("/TavimoFM");
        WidgetDialogs dialogs;
        ReportMissingDownloadRoot(dialogs, tried);
        root = QCoreApplication::applicationDirPath();
    }

    WindowProgram program(root);
    program.form().show();
    if (shown)
        shown(program);
    return app.exec();
}

} // namespace tavimo
