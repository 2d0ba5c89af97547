#include "net/yielding_pause.h"

#include <QEventLoop>
#include <QTimer>

namespace tavimo {

void YieldingPause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace tavimo
