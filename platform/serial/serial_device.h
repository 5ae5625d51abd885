// The serial devices as the scanner link sees them: a handle-based interface in the manner of the
// original platform, so that a handle can be forgotten without being closed, exactly as there.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using DeviceHandle = std::uintptr_t;
inline constexpr DeviceHandle kInvalidHandle = ~DeviceHandle{0};

// Parity and stop-bit codes, numbered as the original platform numbers them.
inline constexpr std::uint8_t NOPARITY = 0;
inline constexpr std::uint8_t ODDPARITY = 1;
inline constexpr std::uint8_t EVENPARITY = 2;
inline constexpr std::uint8_t ONESTOPBIT = 0;
inline constexpr std::uint8_t ONE5STOPBITS = 1;
inline constexpr std::uint8_t TWOSTOPBITS = 2;

// Receive error flags reported by ClearError.
inline constexpr std::uint32_t CE_RXOVER = 0x0001;    // input queue overflow
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;   // character overrun
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;  // parity error
inline constexpr std::uint32_t CE_FRAME = 0x0008;     // framing error
inline constexpr std::uint32_t CE_BREAK = 0x0010;     // break

// Line settings. Binary transfer, no flow control, DTR and RTS off are implied.
struct LineSettings {
  std::uint32_t baudRate = 9600;
  std::uint8_t byteSize = 8;
  std::uint8_t parity = NOPARITY;
  std::uint8_t stopBits = ONESTOPBIT;
  bool parityCheck = true;  // check received parity (no effect without a parity bit)
};

class SerialDevices {
 public:
  virtual ~SerialDevices() = default;

  // Opens an existing device by name ("COM1" ...) for exclusive reading and writing;
  // kInvalidHandle when it is missing, held by someone else or not accessible.
  virtual DeviceHandle Open(const std::string& name) = 0;
  // Makes reads return at once with what has arrived, and gives writes no time-out.
  virtual bool SetImmediateReads(DeviceHandle h) = 0;
  virtual bool SetLineSettings(DeviceHandle h, const LineSettings& settings) = 0;
  // Reports and clears the receive errors since the last call (CE_* flags) and tells how many
  // received bytes wait in the input queue. False when the device no longer answers.
  virtual bool ClearError(DeviceHandle h, std::uint32_t& errors, std::uint32_t& inQueue) = 0;
  // Reads up to n bytes that have already arrived; never waits.
  virtual bool Read(DeviceHandle h, std::uint8_t* buffer, std::uint32_t n, std::uint32_t& got) = 0;
  // Writes n bytes, reporting how many were taken.
  virtual bool Write(DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
                     std::uint32_t& written) = 0;
  // Waits until everything written has left the device.
  virtual bool Drain(DeviceHandle h) = 0;
  virtual bool Close(DeviceHandle h) = 0;
};

}  // namespace platform
