#include "net/page_reply.h"

#include "net/http_reply.h"

#include <algorithm>
#include <array>

namespace tavimo {

namespace {

constexpr int kProxyAuthenticationRequired = 407;

PageFailure TransportFailure(const HttpReply &reply, WaitEnd end)
{
    switch (end) {
    case WaitEnd::Cancelled:
        return PageFailure::Stopped;
    case WaitEnd::Stalled:
        return PageFailure::TimedOut;
    case WaitEnd::Finished:
        break;
    }
    switch (reply.transportError()) {
    case TransportError::None:
        return PageFailure::None;
    case TransportError::HostNotFound:
        return PageFailure::HostNotFound;
    case TransportError::ConnectionRefused:
        return PageFailure::ConnectionRefused;
    case TransportError::TimedOut:
        return PageFailure::TimedOut;
    case TransportError::Aborted:
        return PageFailure::Stopped;
    case TransportError::Other:
        break;
    }
    return PageFailure::Broken;
}

QString ReasonOf(PageFailure failure, const HttpReply &reply)
{
    switch (failure) {
    case PageFailure::None:
        return QString();
    case PageFailure::HttpStatus:
        return StatusReason(reply.status());
    case PageFailure::ProxyRefused:
        return QStringLiteral("HTTP 407 代理服务器要求认证");
    case PageFailure::TimedOut:
        return kTimedOutReason;
    case PageFailure::Stopped:
        return kCancelledReason;
    case PageFailure::HostNotFound:
    case PageFailure::ConnectionRefused:
    case PageFailure::Broken:
    case PageFailure::Unreadable:
        break;
    }
    return reply.errorText();
}

} // namespace

bool PageReply::lasting() const
{
    static constexpr std::array kLastingStatuses = {401, 403, 404, kProxyAuthenticationRequired};
    if (failure == PageFailure::HostNotFound || failure == PageFailure::ProxyRefused || waitTooLong)
        return true;
    return failure == PageFailure::HttpStatus &&
           std::find(kLastingStatuses.begin(), kLastingStatuses.end(), status) != kLastingStatuses.end();
}

QString PageReply::cause() const
{
    return QStringLiteral("无法获取 %1: %2").arg(address, reason);
}

PageReply JudgePageReply(const HttpReply &reply, WaitEnd end, const QString &address)
{
    PageReply judged;
    judged.status = reply.status();
    judged.address = reply.finalAddress().isEmpty() ? address : reply.finalAddress();
    judged.failure = TransportFailure(reply, end);
    // A proxy that refuses the tunnel to an https address answers that, not the request.
    if (judged.failure == PageFailure::Broken && reply.tunnelStatus() >= 400) {
        judged.status = reply.tunnelStatus();
        judged.failure = PageFailure::None;
    }
    if (judged.failure == PageFailure::None && judged.status >= 400)
        judged.failure = judged.status == kProxyAuthenticationRequired ? PageFailure::ProxyRefused
                                                                       : PageFailure::HttpStatus;
    judged.reason = ReasonOf(judged.failure, reply);
    return judged;
}

PageReply Unreadable(PageReply reply, const QString &reason)
{
    if (!reply.failed()) {
        reply.failure = PageFailure::Unreadable;
        reply.reason = reason;
    }
    return reply;
}

QString PageFailureName(PageFailure failure)
{
    switch (failure) {
    case PageFailure::None:
        return QStringLiteral("none");
    case PageFailure::HttpStatus:
        return QStringLiteral("http-status");
    case PageFailure::ProxyRefused:
        return QStringLiteral("proxy-refused");
    case PageFailure::HostNotFound:
        return QStringLiteral("host-not-found");
    case PageFailure::ConnectionRefused:
        return QStringLiteral("connection-refused");
    case PageFailure::TimedOut:
        return QStringLiteral("timed-out");
    case PageFailure::Broken:
        return QStringLiteral("broken");
    case PageFailure::Unreadable:
        return QStringLiteral("unreadable");
    case PageFailure::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

} // namespace tavimo
