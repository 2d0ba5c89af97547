#pragma once

namespace tavimo {

// Waits the given time while the event loop keeps running (other handlers
// run inside it); uses no CPU while waiting.
void YieldingPause(int milliseconds);

} // namespace tavimo
