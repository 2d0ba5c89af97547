// Fetches a page the server answers at once (to set up the network stack),
// then one it holds back, and prints the CPU time and wall time the second
// fetch took: "cpu_seconds wall_seconds reply_chars".
#include "bench/bench_support.h"
#include "net/mod_xml_http.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavimo-bench-wait WARM-UP-URL HELD-BACK-URL\n");
        return 2;
    }
    tavimo::ModXmlHttp net;
    net.setStallTimeout(60000);
    QCoro::waitFor(net.GetHttpText(QStringLiteral("utf-8"), QString::fromLocal8Bit(argv[1])));
    const QString url = QString::fromLocal8Bit(argv[2]);

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = tavimo::bench::ProcessCpuSeconds();
    const QString text = QCoro::waitFor(net.GetHttpText(QStringLiteral("utf-8"), url));
    const double cpu = tavimo::bench::ProcessCpuSeconds() - cpuBefore;
    std::printf("%.4f %.3f %lld\n", cpu, wall.elapsed() / 1000.0, static_cast<long long>(text.size()));
    return text.isEmpty() ? 1 : 0;
}
