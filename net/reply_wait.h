#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>



namespace tavimo {

class HttpReply;

// How a wait for one reply ended.
enum class WaitEnd { Finished, Stalled, Cancelled };

// Waits for one reply in a local event loop: other handlers run meanwhile, no
// CPU is used, and the wait always ends, at the latest when no byte has come
// for the stall time-out.
class ReplyWait : public QObject {
    Q_OBJECT
public:
    ReplyWait(HttpReply *reply, int stallTimeoutMs);

    // Watches the reply without waiting; ended() tells how it ended.
    void watch();
    // Watches and waits in a local event loop until the reply ended.
    WaitEnd run();
    void cancel();

signals:
    void ended(tavimo::WaitEnd how);

private:
    void end(WaitEnd how);
    void noteActivity() { sinceActivity_.start(); }
    void stallClockRang();

    QPointer<HttpReply> reply_;
    QEventLoop loop_;
    QTimer stall_;
    QElapsedTimer sinceActivity_;
    int stallTimeoutMs_;
    std::optional<WaitEnd> end_;
};

} // namespace tavimo
