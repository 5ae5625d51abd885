// The clock on Windows: the system's own millisecond tick count and pause, which wrap and round
// exactly as the loader's schedule expects (clock.h). Their granularity is the system timer's;
// FineTimerResolution (timer_resolution.h) brings it to 1 ms while a download runs.
#include "platform/clock/clock.h"

#include <windows.h>

namespace platform {

std::uint32_t SystemClock::TickCount() {
  return GetTickCount();
}

void SystemClock::Sleep(std::uint32_t ms) {
  ::Sleep(ms);
}

}  // namespace platform
