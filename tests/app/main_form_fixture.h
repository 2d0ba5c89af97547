#pragma once

#include "app/main_form.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"
#include "net/wakeup.h"
#include "tests/support/emulated_service.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_root.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tavimo::test {

// The real main window, offscreen, against the emulator, with recorded boxes.
class MainFormFixture : public EmulatedService {
protected:
    void SetUp() override
    {
        EmulatedService::SetUp();
        form = std::make_unique<MainForm>(emulator.hosts(), files, dialogs, root.path());
        QObject::connect(form.get(), &MainForm::statusChanged, [this](const QString &text) { statuses.append(text); });
        form->show();
    }

    // Clicks as the user would, and waits for the end of the runs it started.
    void click(QPushButton *button)
    {
        press(button);
        waitForRuns();
    }
    // Clicks without waiting: from inside a run, as a second click arrives.
    static void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Waits until no workflow of the window runs: every button free.
    void waitForRuns()
    {
        Wakeup ended;
        QObject::connect(form.get(), &MainForm::runEnded, &ended, &Wakeup::notify);
        QCoro::waitFor(ended.until([this] { return idle(); }));
    }
    bool idle() const
    {
        for (const QPushButton *button : {form->cmdDown2, form->cmdDown, form->cmdSinger, form->cmdSinger2}) {
            if (!button->isEnabled())
                return false;
        }
        return true;
    }

    TempRoot root;
    ModXmlHttp net;
    FileDownloader files{net};
    RecordingDialogs dialogs;
    std::unique_ptr<MainForm> form;
    QStringList statuses;
};

} // namespace tavimo::test
