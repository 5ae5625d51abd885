// The timer tick of the command-line loader: the procedure's OnTimer called on a fixed schedule.
//
// Each tick is due one period after the previous one was due, not one period after its work
// ended, so the pauses inside a tick (the write pauses) do not stretch a download. A tick that ends
// late makes the next one fire at once, still on the schedule; one that ends a whole period or
// more behind restarts the schedule from now, so that missed ticks never come as a burst.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock/clock.h"

namespace codeload {

// Calls tick() at firstDue, then every periodMs, for as long as running() holds before a tick.
void RunTicks(platform::Clock& clock, std::uint32_t firstDue, std::uint32_t periodMs,
              const std::function<bool()>& running, const std::function<void()>& tick);

}  // namespace codeload
