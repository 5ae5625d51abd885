// SignalGuard on Windows: a console control handler that records Ctrl-C, Ctrl-Break and the
// closing of the console window, as the first of them to come, under the number of the C
// library's matching signal (SIGINT, SIGBREAK, SIGTERM). There is no SIGPIPE to hold: a write to
// a closed pipe fails with an error and never ends the process.
//
// The system runs the handler on a thread of its own. For Ctrl-C and Ctrl-Break, returning TRUE
// is enough. After a close the system ends the process once the handler returns, so that handler
// waits until the guard ends; the system grants it only some 5 s, less than the 11 s an exchange
// may take at worst, and then ends the process anyway.
#include <windows.h>

#include <atomic>
#include <csignal>

#include "tools/codeload/signal_guard.h"

namespace codeload {

namespace {

struct HeldEvent {
  DWORD event;
  int number;
  const char* name;
};

constexpr HeldEvent kHeldEvents[] = {
    {CTRL_C_EVENT, SIGINT, "Ctrl-C"},
    {CTRL_BREAK_EVENT, SIGBREAK, "Ctrl-Break"},
    {CTRL_CLOSE_EVENT, SIGTERM, "closing of the console"},
};

std::atomic<int> g_nFirstSignal{0};
// Set when the guard ends, so that a close handler still waiting lets the process go.
HANDLE g_guardEnded = nullptr;

BOOL WINAPI RecordEvent(DWORD event) {
  for (const HeldEvent& held : kHeldEvents) {
    if (held.event != event)
      continue;
    int none = 0;
    g_nFirstSignal.compare_exchange_strong(none, held.number);
    if (event == CTRL_CLOSE_EVENT && g_guardEnded != nullptr)
      WaitForSingleObject(g_guardEnded, INFINITE);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

SignalGuard::SignalGuard() {
  g_nFirstSignal = 0;
  g_guardEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(RecordEvent, TRUE);
}

SignalGuard::~SignalGuard() {
  SetConsoleCtrlHandler(RecordEvent, FALSE);
  if (g_guardEnded != nullptr)
    SetEvent(g_guardEnded);
  // The event stays: a close handler may still be returning from its wait on it.
}

int SignalGuard::Received() const {
  return g_nFirstSignal;
}

const char* SignalName(int number) {
  for (const HeldEvent& held : kHeldEvents) {
    if (held.number == number)
      return held.name;
  }
  return "a signal";
}

}  // namespace codeload
