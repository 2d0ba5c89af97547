#include "net/reply_wait.h"

#include <QNetworkReply>

namespace tavimo {

ReplyWait::ReplyWait(QNetworkReply *reply, int stallTimeoutMs) : reply_(reply)
{
    stall_.setSingleShot(true);
    stall_.setInterval(stallTimeoutMs);
    connect(&stall_, &QTimer::timeout, this, [this] { end(WaitEnd::Stalled); });
    connect(reply, &QNetworkReply::finished, this, [this] { end(WaitEnd::Finished); });
    // Any sign of life, headers included, restarts the stall clock.
    connect(reply, &QNetworkReply::readyRead, &stall_, qOverload<>(&QTimer::start));
    connect(reply, &QNetworkReply::downloadProgress, &stall_, qOverload<>(&QTimer::start));
    connect(reply, &QNetworkReply::metaDataChanged, &stall_, qOverload<>(&QTimer::start));
    // The reply going away with its manager ends the wait without touching it.
    connect(reply, &QObject::destroyed, this, [this] {
        const bool first = !end_;
        end_ = end_.value_or(WaitEnd::Cancelled);
        stall_.stop();
        loop_.quit();
        if (first)
            emit ended(*end_);
    });
}

void ReplyWait::watch()
{
    if (!end_ && reply_ && reply_->isFinished())
        end(WaitEnd::Finished);
    else if (!end_)
        stall_.start();
}

WaitEnd ReplyWait::run()
{
    watch();
    if (!end_)
        loop_.exec();
    // The loop also ends when the application quits; the request ends with it.
    if (!end_)
        end(WaitEnd::Cancelled);
    return *end_;
}

void ReplyWait::cancel() { end(WaitEnd::Cancelled); }

void ReplyWait::end(WaitEnd how)
{
    if (end_)
        return;
    end_ = how;
    stall_.stop();
    if (how != WaitEnd::Finished && reply_)
        reply_->abort();
    loop_.quit();
    emit ended(how);
}

} // namespace tavimo
