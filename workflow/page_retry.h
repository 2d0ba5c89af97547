#pragma once

#include "net/page_reply.h"

#include <QElapsedTimer>

#include <optional>

namespace tavimo {

// The pace of a step that asks for one page again until it comes, where a
// failed page ends steps (the command line): a lasting failure ends it at
// once, a passing one is asked again after 1, 2, 4 … up to 60 pauses of
// `unitMs`, and after 600 of them in all the step ends with its last cause.
// A server's Retry-After holds the host's next request on top of that.
class PageRetry {
public:
    explicit PageRetry(int unitMs) : unitMs_(unitMs) { since_.start(); }

    // The pause before asking again after this failure; nothing when the
    // step ends with it.
    std::optional<int> nextPauseMs(const PageReply &failed);
    // The line that tells of the failure and of the pause after it.
    static QString retryLine(const QString &failed, const PageReply &page, int pauseMs);

private:
    int unitMs_;
    int attempts_ = 0;
    QElapsedTimer since_;
};

} // namespace tavimo
