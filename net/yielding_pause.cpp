#include "net/yielding_pause.h"

#include "net/stop.h"
#include "net/wakeup.h"

#include <QTimer>

namespace tavimo {

QCoro::Task<> PauseFor(int milliseconds, const Stop &stop, const Stop *also)
{
    if (stop.isRaised() || (also != nullptr && also->isRaised()))
        co_return;
    Wakeup ended;
    QTimer timer;
    timer.setSingleShot(true);
    // Precise: a coarse timer may end a pause up to 5 % early.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &ended, &Wakeup::notify);
    QObject::connect(&stop, &Stop::raised, &ended, &Wakeup::notify);
    if (also != nullptr)
        QObject::connect(also, &Stop::raised, &ended, &Wakeup::notify);
    timer.start(milliseconds);
    co_await ended.next();
}

} // namespace tavimo
