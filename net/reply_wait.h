#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

#include <qcoro/qcorotask.h>

namespace tavimo {

class HttpReply;

// How a wait for one reply ended.
enum class WaitEnd { Finished, Stalled, Cancelled };

// Watches one reply until it ends: no CPU is used, and the wait always ends,
// at the latest when no byte has come for the stall time-out.
class ReplyWait : public QObject {
    Q_OBJECT
public:
    ReplyWait(HttpReply *reply, int stallTimeoutMs);

    // Watches the reply without waiting; ended() tells how it ended.
    void watch();
    // Watches; a task that ends with the reply.
    QCoro::Task<WaitEnd> run();
    void cancel();

signals:
    void ended(tavimo::WaitEnd how);

private:
    void end(WaitEnd how);
    void stallClockRang();

    QPointer<HttpReply> reply_;
    QTimer stall_;
    QElapsedTimer sinceWatch_;
    int stallTimeoutMs_;
    std::optional<WaitEnd> end_;
};

} // namespace tavimo
