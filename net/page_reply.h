#pragma once

#include "net/reply_wait.h"

#include <QString>

namespace tavimo {

class HttpReply;

// Why a page fetch brought no usable reply.
enum class PageFailure {
    None,
    HttpStatus,        // the server answered with an error status
    ProxyRefused,      // the proxy wants credentials it did not get (407)
    HostNotFound,      // the host's name (or the proxy's) does not resolve
    ConnectionRefused, // nothing listens where the host is
    TimedOut,          // no byte came for the stall time-out
    Broken,            // the transfer broke off below HTTP
    Stopped,           // the program, or the window asking, stopped it
    Unreadable,        // a reply that lacks what the page always holds
};

// A page or interface reply: its text as GetHttpText hands it on (an error
// page's text too), and how the fetch went, so that a workflow that ends for
// want of the page can tell why.
struct PageReply {
    QString text;
    int status = 0;  // the final reply's, 0 when none came
    QString address; // the final one, after redirects
    PageFailure failure = PageFailure::None;
    QString reason;           // in the words a failed track's reason uses; empty when none
    bool waitTooLong = false; // the server asked for a wait over kLongestRetryAfterSeconds

    bool failed() const { return failure != PageFailure::None; }
    // Whether asking again will get the same answer: a refusal by status
    // (401, 403, 404, 407) or a name that does not resolve.
    bool lasting() const;
    // "无法获取 <address>: <reason>".
    QString cause() const;
};

// How the fetch of address that the reply answered went, once its wait
// ended; the text is left for the caller to decode.
PageReply JudgePageReply(const HttpReply &reply, WaitEnd end, const QString &address);

// The reply as a failure when it came whole but lacks what the page always
// holds, with reason saying what is missing; a failed reply as it is.
PageReply Unreadable(PageReply reply, const QString &reason);

// The failure's name in machine-readable reports ("http-status", ...).
QString PageFailureName(PageFailure failure);

} // namespace tavimo
