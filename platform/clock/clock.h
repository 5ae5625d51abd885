// Millisecond clock and blocking pause, the only notion of time the scanner link has.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary origin; wraps around at 2^32.
  virtual std::uint32_t TickCount() = 0;
  // Blocks the calling thread for the given milliseconds.
  virtual void Sleep(std::uint32_t ms) = 0;
};

// The machine's monotonic clock.
class SystemClock final : public Clock {
 public:
  std::uint32_t TickCount() override;
  void Sleep(std::uint32_t ms) override;
};

// Time that moves only when told to; Sleep advances it instead of blocking.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(std::uint32_t start = 0) : m_nNow(start) {}
  std::uint32_t TickCount() override { return m_nNow; }
  void Sleep(std::uint32_t ms) override { m_nNow += ms; }
  void Advance(std::uint32_t ms) { m_nNow += ms; }

 private:
  std::uint32_t m_nNow;
};

}  // namespace platform
