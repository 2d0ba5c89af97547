#pragma once

#include "app/browser_windows.h"
#include "app/main_form.h"
#include "app/widget_dialogs.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"

#include <functional>

namespace tavimo {

// The window program as the user starts it: the main window on the built-in
// hosts with its boxes, network object and downloader (which the browser
// windows share), the hand-over to the browser windows, and the end of the
// program when the main window closes. Shown by the caller, after
// BrowserProfile::PrepareEnvironment() and the QApplication.
class WindowProgram {
public:
    explicit WindowProgram(const QString &downloadRoot);

    MainForm &form() { return form_; }
    BrowserWindows &windows() { return windows_; }

private:
    WidgetDialogs dialogs_;
    ModXmlHttp net_;
    FileDownloader files_{net_};
    MainForm form_;
    BrowserWindows windows_;
};

// The window program's main(): the download root (the usual one, else the
// program's own folder after an error box), the program shown, the event
// loop run. shown, when given, gets the program once its window is up.
int RunWindowProgram(int argc, char **argv, const std::function<void(WindowProgram &)> &shown = {});

} // namespace tavimo
