#pragma once

#include "net/page_reply.h"

#include <QElapsedTimer>

#include <optional>

namespace tavimo {

// What comes after a reply that is not yet the page asked for: the pause
// before asking again and the status line that says so, or the end of the
// step with the failure.
struct RetryStep {
    std::optional<int> pauseMs; // nothing when the step ends
    QString line;
    PageReply failure;
};

// The pace of a step that asks for one page again until it comes. The
// window asks again after each pause of `unitMs`, without limit. Where a
// failed page ends steps (the command line), a lasting failure ends it at
// once, a passing one is asked again after 1, 2, 4 … up to 60 pauses of
// `unitMs`, and after 600 of them in all the step ends with its last cause;
// each line then says the cause. A server's Retry-After holds the host's
// next request on top of that.
class PageRetry {
public:
    PageRetry(int unitMs, bool endsOnFailedPage) : unitMs_(unitMs), endsOnFailedPage_(endsOnFailedPage)
    {
        since_.start();
    }

    // After reply: failedLine is the window's line, missing says what a
    // whole reply lacked.
    RetryStep after(const PageReply &reply, const QString &failedLine, const QString &missing);

private:
    int unitMs_;
    bool endsOnFailedPage_;
    int attempts_ = 0;
    QElapsedTimer since_;
};

} // namespace tavimo
