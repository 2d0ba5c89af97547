// "main ROOT" starts like the window program, downloading into ROOT; "bare"
// shows one empty widget. Either ends the moment its window is first
// painted; the caller times the run.
#include "app/browser_profile.h"
#include "app/browser_windows.h"
#include "app/main_form.h"
#include "app/start_up.h"
#include "app/widget_dialogs.h"
#include "net/mod_xml_http.h"

#include <QApplication>
#include <QEvent>
#include <QNetworkProxyFactory>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Ends the process on the watched widget's first paint, skipping teardown
// so only the way up to the shown window is timed.
class ExitOnFirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            _exit(0);
        return QObject::eventFilter(watched, event);
    }
};

int RunBare(QApplication &app)
{
    QWidget window;
    ExitOnFirstPaint exitOnPaint;
    window.installEventFilter(&exitOnPaint);
    window.show();
    return app.exec();
}

int RunMainForm(QApplication &app, const QString &root)
{
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    tavimo::WidgetDialogs dialogs;
    tavimo::ModXmlHttp net;
    tavimo::MainForm form(tavimo::ServiceHosts::builtIn(), net, dialogs, root);
    dialogs.setParent(&form);
    tavimo::BrowserWindows windows(form, tavimo::ServiceHosts::builtIn(), net, root);
    tavimo::EndProgramWhenClosed(form);
    tavimo::ArmAutoClick(form, windows);
    ExitOnFirstPaint exitOnPaint;
    form.installEventFilter(&exitOnPaint);
    form.show();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "bare") == 0) {
        QApplication app(argc, argv);
        return RunBare(app);
    }
    if (argc != 3 || std::strcmp(argv[1], "main") != 0) {
        std::fprintf(stderr, "usage: tavimo-bench-startup bare | main ROOT\n");
        return 2;
    }
    tavimo::BrowserProfile::PrepareEnvironment();
    QApplication app(argc, argv);
    return RunMainForm(app, QString::fromLocal8Bit(argv[2]));
}
