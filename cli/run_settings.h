#pragma once

#include "net/service_hosts.h"

#include <QString>

#include <optional>

namespace tavimo::cli {

// "radio,catalogue,audio" (three host values, as after "http://") from the
// hidden TAVIMO_HOSTS setting that points a test at its own emulator.
std::optional<ServiceHosts> HostsFromSetting(const QString &setting);

// The download root a run uses: the given folder (created when missing),
// else the program's usual rule. Empty when none can be used.
QString ChooseDownloadRoot(const QString &requested);

// The first pause before a track is tried again.
inline constexpr int kFirstRetryPauseMs = 1000;

// The pauses of the workflows and retries in milliseconds, from the hidden
// TAVIMO_PAUSE_MS setting that shortens them for tests; -1 for their own.
int PauseSetting();

// The track title as its file is named, for messages.
QString TitleOf(const QString &path);

} // namespace tavimo::cli
