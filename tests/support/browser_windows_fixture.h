#pragma once

#include "app/browser_windows.h"
#include "app/main_form.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"
#include "tests/support/browser_storage.h"
#include "tests/support/emulated_service.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QDir>

#include <memory>

namespace tavimo::test {

// The program as the user starts it, against the emulator: the main window,
// its hand-over to the browser windows, and a download root of its own.
class BrowserWindowsTest : public EmulatedService {
protected:
    void SetUp() override
    {
        EmulatedService::SetUp();
        hosts = emulator.hosts();
        storage = FreshBrowserStorage();
        startProgram();
    }
    void TearDown() override { endProgram(); }

    void startProgram()
    {
        net = std::make_unique<ModXmlHttp>();
        files = std::make_unique<FileDownloader>(*net);
        main = std::make_unique<MainForm>(hosts, *files, dialogs, root.path());
        windows = std::make_unique<BrowserWindows>(*main, hosts, *files, root.path(), storage);
        windows->pauses() = WorkflowPauses{50, 50, 50};
        main->show();
    }
    void endProgram()
    {
        windows.reset();
        main.reset();
        files.reset();
        net.reset();
    }

    QStringList filesIn(const QString &folder) const
    {
        return QDir(root.file(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    ServiceHosts hosts;
    TempRoot root;
    RecordingDialogs dialogs;
    QString storage;
    std::unique_ptr<ModXmlHttp> net;
    std::unique_ptr<FileDownloader> files;
    std::unique_ptr<MainForm> main;
    std::unique_ptr<BrowserWindows> windows;
};

} // namespace tavimo::test
