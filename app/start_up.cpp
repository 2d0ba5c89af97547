#include "app/start_up.h"

#include "app/main_form.h"
#include "script/dialogs.h"

#include <QCoreApplication>

namespace tavimo {

QCoro::Task<> ReportMissingDownloadRoot(Dialogs &dialogs, QString triedFolder)
{
    co_await dialogs.messageBox(QStringLiteral("无法创建下载文件夹: ") + triedFolder, MainForm::kCaption,
                                DialogIcon::Critical);
}

void EndProgramWhenClosed(MainForm &form)
{
    QObject::connect(&form, &MainForm::closed, qApp, [] { QCoreApplication::exit(0); });
}

} // namespace tavimo
