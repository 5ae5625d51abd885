// The clock on Linux: the monotonic clock in milliseconds, cut to 32 bits so that it wraps as the
// original platform's tick count does, and a pause that sleeps at least the time asked.
#include <chrono>
#include <thread>

#include "platform/clock/clock.h"

namespace platform {

std::uint32_t SystemClock::TickCount() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void SystemClock::Sleep(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
