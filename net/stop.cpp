#include "net/stop.h"

namespace tavimo {

void Stop::raise()
{
    if (raised_)
        return;
    raised_ = true;
    emit raised();
}

void Stop::follow(const Stop &outer)
{
    if (outer.isRaised())
        raise();
    else
        connect(&outer, &Stop::raised, this, &Stop::raise);
}

} // namespace tavimo
