#pragma once

#include "net/service_hosts.h"

#include <QString>

#include <optional>

namespace tavimo::bench {

// "radio,catalogue,audio" as the benchmark script passes it; nullopt when not three values.
std::optional<ServiceHosts> HostsFromArgument(const QString &text);

// User plus system CPU seconds of this process so far.
double ProcessCpuSeconds();

} // namespace tavimo::bench
