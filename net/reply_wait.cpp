#include "net/reply_wait.h"

#include "net/http_reply.h"

#include <qcoro/qcorosignal.h>

#include <algorithm>

namespace tavimo {

ReplyWait::ReplyWait(HttpReply *reply, int stallTimeoutMs) : reply_(reply), stallTimeoutMs_(stallTimeoutMs)
{
    stall_.setSingleShot(true);
    connect(&stall_, &QTimer::timeout, this, &ReplyWait::stallClockRang);
    connect(reply, &HttpReply::finished, this, [this] { end(WaitEnd::Finished); });
    // The reply going away with its owner ends the wait without touching it.
    connect(reply, &QObject::destroyed, this, [this] {
        const bool first = !end_;
        end_ = end_.value_or(WaitEnd::Cancelled);
        stall_.stop();
        if (first)
            emit ended(*end_);
    });
}

void ReplyWait::watch()
{
    if (!end_ && reply_ && reply_->isFinished()) {
        end(WaitEnd::Finished);
    } else if (!end_) {
        sinceWatch_.start();
        stall_.start(stallTimeoutMs_);
    }
}

void ReplyWait::stallClockRang()
{
    // Any sign of life, headers included, counts: the reply stamps the time
    // of each piece, and the timer is rearmed when it rings.
    const qint64 sinceWatch = sinceWatch_.elapsed();
    const qint64 replyQuiet = reply_ ? reply_->quietMs() : -1;
    const qint64 quiet = replyQuiet < 0 ? sinceWatch : std::min(replyQuiet, sinceWatch);
    if (quiet >= stallTimeoutMs_)
        end(WaitEnd::Stalled);
    else
        stall_.start(int(stallTimeoutMs_ - quiet));
}

QCoro::Task<WaitEnd> ReplyWait::run()
{
    watch();
    if (!end_)
        co_await qCoro(this, &ReplyWait::ended);
    co_return end_.value_or(WaitEnd::Cancelled);
}

void ReplyWait::cancel()
{
    end(WaitEnd::Cancelled);
}

void ReplyWait::end(WaitEnd how)
{
    if (end_)
        return;
    end_ = how;
    stall_.stop();
    if (how != WaitEnd::Finished && reply_)
        reply_->abort();
    emit ended(how);
}

} // namespace tavimo
