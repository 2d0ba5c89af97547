#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <algorithm>
#include <optional>

namespace tavimo {

// The longest wait a server may ask for before the run gives up on the
// requests it concerns instead of waiting.
inline constexpr qint64 kLongestRetryAfterSeconds = 600;

// The seconds a "Retry-After" value asks for (a number of seconds, or an
// HTTP date, 0 when that date has passed); nothing for a value that is
// neither, a negative number among them.
std::optional<qint64> RetryAfterSeconds(const QByteArray &value, const QDateTime &now);

// Why a request the server asked to wait longer than that for fails.
inline QString WaitTooLongReason(qint64 seconds)
{
    return QStringLiteral("服务器要求等待 %1 秒, 超过 10 分钟, 不再等待").arg(seconds);
}

// When the next request may go: the least gap between page and interface
// requests, and each host's hold after it asked the run to wait. Times are
// milliseconds on one steady clock.
class RequestPacing {
public:
    RequestPacing() { clock_.start(); }

    void setPageGap(int milliseconds) { pageGapMs_ = milliseconds; }
    // When the next page request to host may start; its slot is taken, so
    // the one after it waits a gap longer.
    qint64 takePageSlot(const QString &host);
    // How long until that time.
    qint64 until(qint64 at) const { return std::max<qint64>(0, at - now()); }
    // How long any request to host must wait, from now.
    qint64 heldFor(const QString &host) const;
    // Holds host for seconds from now; whether that holds it longer than
    // before (by a second or more).
    bool hold(const QString &host, qint64 seconds);

private:
    qint64 now() const { return clock_.elapsed(); }

    QElapsedTimer clock_;
    int pageGapMs_ = 0;
    qint64 nextPageAt_ = 0;
    QHash<QString, qint64> heldUntil_;
};

} // namespace tavimo
