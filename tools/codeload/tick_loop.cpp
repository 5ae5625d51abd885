#include "tools/codeload/tick_loop.h"

namespace codeload {

namespace {

// Milliseconds from one time to another on the wrapping clock; negative when it is past.
std::int32_t MsUntil(std::uint32_t from, std::uint32_t to) {
  return static_cast<std::int32_t>(to - from);
}

}  // namespace

void RunTicks(platform::Clock& clock, std::uint32_t firstDue, std::uint32_t periodMs,
              const std::function<bool()>& running, const std::function<void()>& tick) {
  std::uint32_t due = firstDue;
  while (running()) {
    const std::int32_t wait = MsUntil(clock.TickCount(), due);
    if (wait > 0)
      clock.Sleep(static_cast<std::uint32_t>(wait));
    tick();
    due += periodMs;
    // A whole period behind or more: firing every missed tick would make a burst, so the
    // schedule starts again from now with a single late tick.
    const std::uint32_t now = clock.TickCount();
    if (MsUntil(due, now) >= static_cast<std::int32_t>(periodMs))
      due = now;
  }
}

}  // namespace codeload
