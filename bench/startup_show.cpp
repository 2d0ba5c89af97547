// "main ROOT" starts like the window program, downloading into ROOT; "bare"
// shows one empty widget. Either ends the moment its window is first
// painted; the caller times the run.
#include "app/browser_profile.h"
#include "app/window_program.h"

#include <QApplication>
#include <QEvent>
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
    tavimo::WindowProgram program(root);
    ExitOnFirstPaint exitOnPaint;
    program.form().installEventFilter(&exitOnPaint);
    program.form().show();
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
