#pragma once

#include "app/main_form.h"
#include "download/file_downloader.h"
#include "emulator/emulator.h"
#include "net/mod_xml_http.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_root.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tavimo::test {

// The real main window, offscreen, against the emulator, with recorded boxes.
class MainFormFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(emulator.start());
        form = std::make_unique<MainForm>(emulator.hosts(), files, dialogs, root.path());
        QObject::connect(form.get(), &MainForm::statusChanged, [this](const QString &text) { statuses.append(text); });
        form->show();
    }

    static QString q(const std::string &text) { return QString::fromStdString(text); }
    QString albumAddress(const emu::Album &album) const
    {
        return emulator.hosts().catalogueAddress(QStringLiteral("/subject/") + q(album.number) + u'/');
    }
    QString artistAddress(const emu::Artist &artist) const
    {
        return emulator.hosts().catalogueAddress(QStringLiteral("/musician/") + q(artist.id) + u'/');
    }
    int requestsTo(const std::string &prefix) const
    {
        const auto log = emulator.requestLog();
        return int(std::count_if(log.begin(), log.end(),
                                 [&](const emu::RequestRecord &r) { return r.target.rfind(prefix, 0) == 0; }));
    }
    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    emu::Emulator emulator;
    TempRoot root;
    ModXmlHttp net;
    FileDownloader files{net};
    RecordingDialogs dialogs;
    std::unique_ptr<MainForm> form;
    QStringList statuses;
};

} // namespace tavimo::test
