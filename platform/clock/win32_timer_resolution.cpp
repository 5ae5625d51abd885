// The 1 ms timer period on Windows, through the multimedia timer calls (winmm).
#include "platform/clock/timer_resolution.h"

#include <windows.h>
// Needs the types of <windows.h>.
#include <timeapi.h>

namespace platform {

namespace {
constexpr UINT kFinePeriodMs = 1;
}  // namespace

FineTimerResolution::FineTimerResolution()
    : m_held(timeBeginPeriod(kFinePeriodMs) == TIMERR_NOERROR) {}

FineTimerResolution::~FineTimerResolution() {
  if (m_held)
    timeEndPeriod(kFinePeriodMs);
}

}  // namespace platform
