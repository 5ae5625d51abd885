#include "platform/serial/receive_errors.h"

#include "platform/serial/serial_device.h"

namespace platform {

namespace {

struct ErrorCounter {
  int ReceiveErrorCounts::*counter;
  std::uint32_t flag;
};
constexpr ErrorCounter kErrorCounters[] = {
    {&ReceiveErrorCounts::overrun, CE_OVERRUN}, {&ReceiveErrorCounts::bufOverrun, CE_RXOVER},
    {&ReceiveErrorCounts::parity, CE_RXPARITY}, {&ReceiveErrorCounts::frame, CE_FRAME},
    {&ReceiveErrorCounts::brk, CE_BREAK},
};

}  // namespace

std::uint32_t ReceiveErrorWatch::Take(const ReceiveErrorCounts& now) {
  std::uint32_t errors = 0;
  for (const ErrorCounter& entry : kErrorCounters) {
    if (now.*entry.counter != m_last.*entry.counter)
      errors |= entry.flag;
  }
  m_last = now;
  return errors;
}

}  // namespace platform
