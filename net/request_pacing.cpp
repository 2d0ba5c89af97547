#include "net/request_pacing.h"

#include <QLocale>

#include <algorithm>
#include <limits>

namespace tavimo {

std::optional<qint64> RetryAfterSeconds(const QByteArray &value, const QDateTime &now)
{
    const QByteArray trimmed = value.trimmed();
    if (!trimmed.isEmpty() &&
        std::all_of(trimmed.cbegin(), trimmed.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        bool fits = false;
        const qint64 seconds = trimmed.toLongLong(&fits);
        return fits ? seconds : std::numeric_limits<qint64>::max();
    }
    // The IMF-fixdate of HTTP, always in GMT.
    QDateTime date = QLocale::c().toDateTime(QString::fromLatin1(trimmed),
                                             QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!date.isValid())
        return std::nullopt;
    date.setTimeSpec(Qt::UTC);
    return std::max<qint64>(0, now.secsTo(date));
}

qint64 RequestPacing::takePageSlot(const QString &host)
{
    // A request that reuses a connection reaches the server sooner after its
    // start than one that opens it: a little more than the gap keeps the
    // gap where the requests arrive too.
    constexpr int kArrivalMarginMs = 10;
    const qint64 at = std::max({now(), nextPageAt_, heldUntil_.value(host)});
    nextPageAt_ = at + (pageGapMs_ > 0 ? pageGapMs_ + kArrivalMarginMs : 0);
    return at;
}

qint64 RequestPacing::heldFor(const QString &host) const
{
    return std::max<qint64>(0, heldUntil_.value(host) - now());
}

bool RequestPacing::hold(const QString &host, qint64 seconds)
{
    const qint64 until = now() + std::min(seconds, kLongestRetryAfterSeconds) * 1000;
    const qint64 before = heldUntil_.value(host);
    if (until <= before)
        return false;
    heldUntil_.insert(host, until);
    return until - before >= 1000;
}

} // namespace tavimo
