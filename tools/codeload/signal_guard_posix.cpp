#include "tools/codeload/signal_guard.h"

#include <signal.h>

#include <csignal>
#include <cstddef>
#include <iterator>

namespace codeload {

namespace {

struct HeldSignal {
  int number;
  const char* name;
};

constexpr HeldSignal kHeldSignals[] = {
    {SIGINT, "SIGINT"},
    {SIGTERM, "SIGTERM"},
    {SIGHUP, "SIGHUP"},
    {SIGPIPE, "SIGPIPE"},
};
constexpr std::size_t kHeldCount = std::size(kHeldSignals);

volatile std::sig_atomic_t g_nFirstSignal = 0;
struct sigaction g_previous[kHeldCount];

void RecordSignal(int number) {
  if (g_nFirstSignal == 0)
    g_nFirstSignal = number;
}

}  // namespace

SignalGuard::SignalGuard() {
  g_nFirstSignal = 0;
  struct sigaction action {};
  action.sa_handler = RecordSignal;
  sigemptyset(&action.sa_mask);
  // The four exclude one another while the handler runs, so the first one to come is kept.
  for (const HeldSignal& held : kHeldSignals)
    sigaddset(&action.sa_mask, held.number);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kHeldCount; ++i)
    sigaction(kHeldSignals[i].number, &action, &g_previous[i]);
}

SignalGuard::~SignalGuard() {
  for (std::size_t i = 0; i < kHeldCount; ++i)
    sigaction(kHeldSignals[i].number, &g_previous[i], nullptr);
}

int SignalGuard::Received() const {
  return g_nFirstSignal;
}

const char* SignalName(int number) {
  for (const HeldSignal& held : kHeldSignals) {
    if (held.number == number)
      return held.name;
  }
  return "a signal";
}

}  // namespace codeload
