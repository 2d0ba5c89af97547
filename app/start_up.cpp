#include "app/start_up.h"

#include "app/main_form.h"
#include "script/dialogs.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

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

void ArmAutoClick(MainForm &form)
{
    const QString trigger = qEnvironmentVariable("TAVIMO_AUTOCLICK");
    if (!trigger.startsWith(QStringLiteral("album")))
        return;
    const QString address = trigger.section(u'=', 1);
    QTimer::singleShot(0, &form, [&form, address] {
        if (!address.isEmpty())
            form.txtAlbumID->setText(address);
        form.cmdDown2->click();
        std::printf("%s\n", form.statusText().toUtf8().constData());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

} // namespace tavimo
