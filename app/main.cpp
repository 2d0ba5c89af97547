#include "app/browser_profile.h"
#include "app/start_up.h"
#include "app/widget_dialogs.h"
#include "app/window_program.h"
#include "download/download_root.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char **argv)
{
    tavimo::BrowserProfile::PrepareEnvironment();
    QApplication app(argc, argv);

    QString root = tavimo::DefaultDownloadRoot();
    if (root.isEmpty()) {
        const QString tried = QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + QStringLiteral("/TavimoFM");
        tavimo::WidgetDialogs dialogs;
        tavimo::ReportMissingDownloadRoot(dialogs, tried);
        root = QCoreApplication::applicationDirPath();
    }

    tavimo::WindowProgram program(root);
    program.form().show();
    return app.exec();
}
