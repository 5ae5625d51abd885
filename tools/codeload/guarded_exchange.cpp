#include "tools/codeload/guarded_exchange.h"

#include <string>

#include "platform/clock/timer_resolution.h"
#include "tools/codeload/signal_guard.h"
#include "tools/codeload/tick_loop.h"

namespace codeload {

int RunGuardedExchange(platform::Clock& clock, TerminalHost& host, CDownloadProcedure& procedure) {
  if (!host.TimerRunning())
    return 0;
  const SignalGuard guard;
  // The system timer at 1 ms for the whole exchange, so that ticks and pauses keep their length.
  const platform::FineTimerResolution fineTimer;
  bool told = false;
  // Asked between ticks: the handler itself only records.
  const auto tellOnce = [&] {
    if (told || guard.Received() == 0)
      return;
    told = true;
    host.Say(std::string("codeload: ") + SignalName(guard.Received()) +
             " received; finishing the exchange with the scanner first");
  };
  RunTicks(
      clock, host.TimerStartedAt() + host.TimerPeriod(), host.TimerPeriod(),
      [&] {
        tellOnce();
        return host.TimerRunning();
      },
      [&procedure] { procedure.OnTimer(); });
  tellOnce();
  return guard.Received();
}

}  // namespace codeload
