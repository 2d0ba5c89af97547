#pragma once

#include <qcoro/qcorotask.h>

namespace tavimo {

class Stop;

// A task that ends after the given time, or at once when stop (or also,
// when given) is raised; uses no CPU while waiting.
QCoro::Task<> PauseFor(int milliseconds, const Stop &stop, const Stop *also = nullptr);

} // namespace tavimo
