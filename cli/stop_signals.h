#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavimo::cli {

// Brings SIGINT and SIGTERM into the event loop: the handler only writes the
// signal number into a pipe, and a notifier on the pipe's other end emits
// stopRequested from the event loop. One instance per process.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    bool isInstalled() const { return notifier_ != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *notifier_ = nullptr;
};

} // namespace tavimo::cli
