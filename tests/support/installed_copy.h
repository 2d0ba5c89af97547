#pragma once

#include "emulator/emulator.h"
#include "tests/support/temp_root.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace tavimo::test {

// A copy of the window program (its build for tests, which a driver inside
// it presses buttons of) in an empty writable folder, started as a user
// would with the service reached through http_proxy (the emulator's proxy
// port) and a home folder of its own.
class InstalledCopy {
public:
    explicit InstalledCopy(const emu::Emulator &emulator)
        : program_(folder.file(QStringLiteral("tavimo"))), home_(folder.file(QStringLiteral(".home")))
    {
        EXPECT_TRUE(QFile::copy(QStringLiteral(TAVIMO_BINARY), program_));
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:%1").arg(emulator.proxyPort()));
        for (const char *name : {"no_proxy", "NO_PROXY", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            environment_.remove(QString::fromLatin1(name));
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment_.insert(QStringLiteral("HOME"), home_);
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), home_ + QStringLiteral("/.local/share"));
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), home_ + QStringLiteral("/.config"));
        environment_.insert(QStringLiteral("XDG_CACHE_HOME"), home_ + QStringLiteral("/.cache"));
    }

    // Runs the copy with the trigger until it ends; its standard output.
    QString run(const QString &autoClick, int timeoutMs = 90000)
    {
        QProcessEnvironment environment = environment_;
        environment.insert(QStringLiteral("TAVIMO_AUTOCLICK"), autoClick);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
        process.start(program_, {});
        const bool finished = process.waitForFinished(timeoutMs);
        EXPECT_TRUE(finished) << process.readAllStandardError().toStdString();
        if (!finished)
            process.kill();
        EXPECT_EQ(process.exitCode(), 0);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    TempRoot folder;

private:
    QString program_;
    QString home_;
    QProcessEnvironment environment_;
};

} // namespace tavimo::test
