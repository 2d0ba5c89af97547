#include "workflow/page_retry.h"

#include <algorithm>

namespace tavimo {

namespace {

constexpr int kLongestPauseUnits = 60;
constexpr qint64 kGiveUpUnits = 600;

} // namespace

RetryStep PageRetry::after(const PageReply &reply, const QString &failedLine, const QString &missing)
{
    if (!endsOnFailedPage_)
        return {unitMs_, failedLine, {}};
    const PageReply failure = Unreadable(reply, missing);
    if (failure.lasting() || since_.elapsed() >= kGiveUpUnits * std::max(unitMs_, 1))
        return {std::nullopt, QString(), failure};
    const int pauseMs = std::min(1 << std::min(attempts_++, 6), kLongestPauseUnits) * unitMs_;
    const QString line =
        QStringLiteral("%1: %2; %3 秒后重试").arg(failedLine, failure.cause(), QString::number(pauseMs / 1000.0));
    return {pauseMs, line, failure};
}

} // namespace tavimo
