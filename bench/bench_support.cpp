#include "bench/bench_support.h"

#include <QStringList>

#include <sys/resource.h>

namespace tavimo::bench {

std::optional<ServiceHosts> HostsFromArgument(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 3 || parts.contains(QString()))
        return std::nullopt;
    return ServiceHosts{parts[0], parts[1], parts[2]};
}

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace tavimo::bench
