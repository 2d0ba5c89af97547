#pragma once

#include "app/main_form.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"
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

    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    TempRoot root;
    ModXmlHttp net;
    FileDownloader files{net};
    RecordingDialogs dialogs;
    std::unique_ptr<MainForm> form;
    QStringList statuses;
};

} // namespace tavimo::test
