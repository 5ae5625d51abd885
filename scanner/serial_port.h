// CSerialPort: synchronous access to one serial device with a 400-byte receive buffer and a
// 104-byte transmit buffer, each with a position. The owner fills m_txBuffer and calls Write, and
// polls BytesWaiting and Read, which append to m_rxBuffer. No operation waits for input; the only
// waits are the 20 ms pause before every write and the drain of the output.
//
//   Reset        closed (an open device is forgotten, not closed), both positions zero
//   Open/Close   the device that PortSettings names, exclusively, at its line settings
//   Purge        positions back to zero; drains the output and/or discards the waiting input
//   Write(n)     n bytes from m_txPos; true only when all went out
//   BytesWaiting received bytes in the input queue; false on a receive error
//   Read(n)      exactly n waiting bytes to m_rxPos, or nothing
#pragma once

#include <cstdint>

#include "platform/clock/clock.h"
#include "platform/serial/serial_device.h"

// Line settings by table row.
struct PortSettings {
  std::int32_t nPort;
  std::int32_t nBaudRate;
  std::int32_t nParity;
  std::int32_t nByteSize;
  std::int32_t nStopBits;
};

inline constexpr char kPortNames[4][10] = {"COM1", "COM2", "COM3", "COM4"};
inline constexpr std::uint32_t kBaudRates[5] = {9600, 19200, 38400, 57600, 115200};
// Row 1 is even and row 2 odd: the reverse of the platform's own numbering.
inline constexpr std::uint8_t kParities[3] = {platform::NOPARITY, platform::EVENPARITY,
                                              platform::ODDPARITY};
inline constexpr std::uint8_t kByteSizes[2] = {7, 8};
inline constexpr std::uint8_t kStopBits[3] = {platform::ONESTOPBIT, platform::ONE5STOPBITS,
                                              platform::TWOSTOPBITS};

inline constexpr std::int32_t PURGE_RECEIVE = 0;
inline constexpr std::int32_t PURGE_TRANSMIT = 1;
inline constexpr std::int32_t PURGE_BOTH = 2;

inline constexpr std::uint16_t kRxBufferSize = 400;
inline constexpr std::uint16_t kTxBufferSize = 104;

class CSerialPort {
 public:
  // Starts closed with both positions zero; the download still resets before every open.
  CSerialPort(platform::SerialDevices& devices, platform::Clock& clock)
      : m_devices(devices), m_clock(clock) {}
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  void Reset();
  bool Open(const PortSettings& settings);
  bool Close();
  void Purge(std::int32_t mode);
  bool Write(std::uint16_t n);
  bool BytesWaiting(std::uint16_t& count);
  bool Read(std::uint16_t n);

  bool IsOpen() const { return m_hPort != platform::kInvalidHandle; }

  std::uint8_t m_rxBuffer[kRxBufferSize] = {};
  std::uint8_t m_txBuffer[kTxBufferSize] = {};
  std::uint16_t m_txPos = 0;
  std::uint16_t m_rxPos = 0;
  platform::DeviceHandle m_hPort = platform::kInvalidHandle;

 private:
  // Clears the device's error state; false when it failed or a receive error was flagged.
  bool ClearReceiveErrors(std::uint32_t& inQueue);
  void DiscardInput();

  platform::SerialDevices& m_devices;
  platform::Clock& m_clock;
};
