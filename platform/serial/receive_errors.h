// Receive errors from a UART's error counters.
//
// The kernel counts overruns, input-buffer overruns, parity errors, framing errors and breaks on
// each UART (TIOCGICOUNT) and never resets them. A counter that differs from the previous reading
// raises its CE_* flag once; the next reading without a new change raises none. Differs, not
// grows: the counters wrap around.
//
//   ReceiveErrorCounts   the five counters at one moment
//   ReceiveErrorWatch    the reading to compare with; Take reports what changed since and keeps the
//                        new reading
#pragma once

#include <cstdint>

namespace platform {

struct ReceiveErrorCounts {
  int overrun = 0;     // the UART's own receive buffer overran: CE_OVERRUN
  int bufOverrun = 0;  // the driver's input buffer overflowed: CE_RXOVER
  int parity = 0;      // CE_RXPARITY
  int frame = 0;       // CE_FRAME
  int brk = 0;         // CE_BREAK
};

class ReceiveErrorWatch {
 public:
  ReceiveErrorWatch() = default;
  explicit ReceiveErrorWatch(const ReceiveErrorCounts& start) : m_last(start) {}

  // The CE_* flags of the counters that differ from the previous reading.
  std::uint32_t Take(const ReceiveErrorCounts& now);

 private:
  ReceiveErrorCounts m_last;
};

}  // namespace platform
