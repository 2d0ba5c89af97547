#include "app/browser_profile.h"
#include "app/browser_windows.h"
#include "app/main_form.h"
#include "app/start_up.h"
#include "app/widget_dialogs.h"
#include "net/download_root.h"
#include "net/mod_xml_http.h"

#include <QApplication>
#include <QNetworkProxyFactory>
#include <QStandardPaths>

int main(int argc, char **argv)
{
    tavimo::BrowserProfile::PrepareEnvironment();
    QApplication app(argc, argv);
    QNetworkProxyFactory::setUseSystemConfiguration(true);

    tavimo::WidgetDialogs dialogs;
    QString root = tavimo::DefaultDownloadRoot();
    if (root.isEmpty()) {
        const QString tried = QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + QStringLiteral("/TavimoFM");
        tavimo::ReportMissingDownloadRoot(dialogs, tried);
        root = QCoreApplication::applicationDirPath();
    }

    tavimo::ModXmlHttp net;
    tavimo::MainForm form(tavimo::ServiceHosts::builtIn(), net, dialogs, root);
    dialogs.setParent(&form);
    tavimo::BrowserWindows windows(form, tavimo::ServiceHosts::builtIn(), net, root);
    tavimo::EndProgramWhenClosed(form);
    tavimo::ArmAutoClick(form, windows);
    form.show();
    return app.exec();
}
