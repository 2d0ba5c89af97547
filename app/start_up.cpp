#include "app/start_up.h"

#include "app/main_form.h"
#include "script/dialogs.h"

#include <QCoreApplication>

namespace tavimo {

void ReportMissingDownloadRoot(Dialogs &dialogs, const QString &triedFolder)
{
    dialogs.messageBox(QStringLiteral("无法创建下载文件夹: ") + triedFolder, MainForm::kCaption,
                       DialogIcon::Critical);
}

void EndProgramWhenClosed(MainForm &form)
{
    // exit() leaves every running event loop, the waits nested in a workflow too.
    QObject::connect(&form, &MainForm::closed, qApp, [] { QCoreApplication::exit(0); });
}

} // namespace tavimo
