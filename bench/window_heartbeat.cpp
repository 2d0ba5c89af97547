// Opens the main window against a running service, presses the album button
// and keeps a 10 ms heartbeat timer going through the whole download; prints
// "max_gap_ms heartbeats files seconds".
#include "app/main_form.h"
#include "bench/bench_support.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"
#include "script/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Message boxes would stop the run; the benchmark only notes them.
class SilentDialogs : public tavimo::Dialogs {
public:
    QCoro::Task<> messageBox(QString text, QString, tavimo::DialogIcon) override
    {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        co_return;
    }
    QCoro::Task<QString> inputBox(QString, QString, QString) override { co_return QString(); }
};

// Records the longest time between two ticks of a 10 ms timer.
class Heartbeat {
public:
    Heartbeat()
    {
        timer_.setInterval(10);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void stop() { timer_.stop(); }
    qint64 maxGapMs() const { return maxGap_; }
    int beats() const { return beats_; }

private:
    void tick()
    {
        const qint64 now = clock_.elapsed();
        maxGap_ = std::max(maxGap_, now - last_);
        last_ = now;
        ++beats_;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 maxGap_ = 0;
    int beats_ = 0;
};

int CountFiles(const QString &root)
{
    int count = 0;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    for (; it.hasNext(); it.next())
        ++count;
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto hosts = argc == 4 ? tavimo::bench::HostsFromArgument(QString::fromLocal8Bit(argv[1])) : std::nullopt;
    if (!hosts) {
        std::fprintf(stderr, "usage: tavimo-bench-heartbeat RADIO,CATALOGUE,AUDIO ALBUM-URL ROOT\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[3]);
    SilentDialogs dialogs;
    tavimo::ModXmlHttp net;
    tavimo::FileDownloader files(net);
    tavimo::MainForm form(*hosts, files, dialogs, root);
    form.show();
    form.txtAlbumID->setText(QString::fromLocal8Bit(argv[2]));

    Heartbeat heartbeat;
    QElapsedTimer run;
    QObject::connect(&form, &tavimo::MainForm::runEnded, &form, [&] {
        heartbeat.stop();
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(100, &form, [&] {
        run.start();
        heartbeat.start();
        form.cmdDown2->click();
    });
    app.exec();
    std::printf("%lld %d %d %.2f\n", static_cast<long long>(heartbeat.maxGapMs()), heartbeat.beats(),
                CountFiles(root), run.elapsed() / 1000.0);
    return 0;
}
