#include "net/yielding_pause.h"

#include <QEventLoop>
#include <QTimer>

namespace tavimo {

void YieldingPause(int milliseconds)
{
    QEventLoop loop;
    // Precise: a coarse timer may end a pause up to 5 % early.
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace tavimo
