// The download's ticks run to their end with the interrupt signals held (see SignalGuard).
//
// The guard stands from the first tick until the procedure has stopped its timer: at most the
// procedure's own worst case, some 11 s. The first signal that comes is told on standard error
// once, and the exchange goes on; once the guard has put the old dispositions back, the caller
// exits with kExitSignalBase + the signal's number. With no download started nothing is held.
//
//   RunGuardedExchange   the tick loop under the guard; the first signal received, 0 when none
#pragma once

#include "platform/clock/clock.h"
#include "scanner/download_procedure.h"
#include "tools/codeload/terminal_host.h"

namespace codeload {

inline constexpr int kExitSignalBase = 128;

int RunGuardedExchange(platform::Clock& clock, TerminalHost& host, CDownloadProcedure& procedure);

}  // namespace codeload
