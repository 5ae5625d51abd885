// Nothing to hold on Linux: its timers and pauses already keep the period asked of them (high-
// resolution timers), so a 30 ms tick stays 30 ms without any request.
#include "platform/clock/timer_resolution.h"

namespace platform {

FineTimerResolution::FineTimerResolution() = default;

FineTimerResolution::~FineTimerResolution() = default;

}  // namespace platform
