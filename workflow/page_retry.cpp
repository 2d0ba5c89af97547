#include "workflow/page_retry.h"

#include <algorithm>

namespace tavimo {

namespace {

constexpr int kLongestPauseUnits = 60;
constexpr qint64 kGiveUpUnits = 600;

} // namespace

std::optional<int> PageRetry::nextPauseMs(const PageReply &failed)
{
    if (failed.lasting() || since_.elapsed() >= kGiveUpUnits * std::max(unitMs_, 1))
        return std::nullopt;
    const int units = std::min(1 << std::min(attempts_++, 6), kLongestPauseUnits);
    return units * unitMs_;
}

QString PageRetry::retryLine(const QString &failed, const PageReply &page, int pauseMs)
{
    return QStringLiteral("%1: %2; %3 秒后重试").arg(failed, page.cause(), QString::number(pauseMs / 1000.0));
}

} // namespace tavimo
