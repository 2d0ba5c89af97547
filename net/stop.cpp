#include "net/stop.h"

namespace tavimo {

void Stop::raise()
{
    if (raised_)
        return;
    raised_ = true;
    emit raised();
}

} // namespace tavimo
