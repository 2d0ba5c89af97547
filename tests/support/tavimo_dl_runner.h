#pragma once

#include "support/emulated_service.h"
#include "support/temp_root.h"

#include <QMap>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace tavimo::cli::test {

// What one run of tavimo-dl left: its exit status and its two streams.
struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// tavimo-dl as a process against an emulator started in the test, downloading
// into a temporary root.
class TavimoDlTest : public tavimo::test::EmulatedService {
protected:
    // Runs to its end: tavimo-dl --root <root> <arguments>.
    RunResult run(const QStringList &arguments, const tavimo::test::TempRoot &into);
    RunResult run(const QStringList &arguments) { return run(arguments, root); }
    // Starts without waiting.
    void start(QProcess &process, const QStringList &arguments, const tavimo::test::TempRoot &into);

    using EmulatedService::albumAddress;
    QString albumAddress(emu::AlbumCase which) const
    {
        return EmulatedService::albumAddress(emulator.catalogue().album(which));
    }
    QString artistAddress(emu::ArtistCase which) const
    {
        return EmulatedService::artistAddress(emulator.catalogue().artist(which));
    }
    // The MP3 bytes the emulator serves for the track (whichever bit rate it has).
    QByteArray servedBytes(const std::string &songId) const;

    tavimo::test::TempRoot root;
    // $XDG_CONFIG_HOME of the runs: no config file unless a test writes one.
    tavimo::test::TempRoot configHome;
    // Variables set for the process on top of the test's own environment.
    QMap<QString, QString> environment;
};

// Reads a finished process into a result.
RunResult ResultOf(QProcess &process);

} // namespace tavimo::cli::test
