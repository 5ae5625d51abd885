#include "scanner/serial_port.h"

#include <iterator>

namespace {

constexpr std::uint32_t kReceiveErrors =
    platform::CE_RXOVER | platform::CE_OVERRUN | platform::CE_RXPARITY;
constexpr std::uint32_t kWritePauseMs = 20;

template <typename T, std::size_t N>
bool InTable(std::int32_t index, const T (&)[N]) {
  return index >= 0 && static_cast<std::size_t>(index) < N;
}

}  // namespace

void CSerialPort::Reset() {
  m_hPort = platform::kInvalidHandle;  // an open device is forgotten, not closed
  Purge(PURGE_BOTH);
}

bool CSerialPort::Open(const PortSettings& settings) {
  if (IsOpen()) {
    m_devices.Close(m_hPort);
    m_hPort = platform::kInvalidHandle;
  }
  if (!InTable(settings.nPort, kPortNames) || !InTable(settings.nBaudRate, kBaudRates) ||
      !InTable(settings.nParity, kParities) || !InTable(settings.nByteSize, kByteSizes) ||
      !InTable(settings.nStopBits, kStopBits)) {
    return false;
  }
  const platform::DeviceHandle handle = m_devices.Open(kPortNames[settings.nPort]);
  if (handle == platform::kInvalidHandle)
    return false;
  m_hPort = handle;

  m_devices.SetImmediateReads(m_hPort);
  platform::LineSettings line;
  line.baudRate = kBaudRates[settings.nBaudRate];
  line.byteSize = kByteSizes[settings.nByteSize];
  line.parity = kParities[settings.nParity];
  line.stopBits = kStopBits[settings.nStopBits];
  line.parityCheck = true;
  m_devices.SetLineSettings(m_hPort, line);
  m_devices.Drain(m_hPort);
  return true;
}

bool CSerialPort::Close() {
  if (!IsOpen())
    return false;
  m_devices.Close(m_hPort);
  m_hPort = platform::kInvalidHandle;
  return true;
}

void CSerialPort::Purge(std::int32_t mode) {
  switch (mode) {
    case PURGE_RECEIVE:
      m_rxPos = 0;
      if (IsOpen())
        DiscardInput();
      break;
    case PURGE_TRANSMIT:
      m_txPos = 0;
      if (IsOpen())
        m_devices.Drain(m_hPort);
      break;
    case PURGE_BOTH:
      m_rxPos = 0;
      m_txPos = 0;
      if (IsOpen()) {
        m_devices.Drain(m_hPort);
        DiscardInput();
      }
      break;
    default:
      break;
  }
}

void CSerialPort::DiscardInput() {
  std::uint8_t scratch = 0;
  std::uint32_t got = 0;
  while (m_devices.Read(m_hPort, &scratch, 1, got) && got == 1) {
  }
}

bool CSerialPort::Write(std::uint16_t n) {
  if (!IsOpen())
    return false;
  // Nothing may be sent from beyond the end of the buffer.
  if (m_txPos + n > kTxBufferSize)
    return false;
  m_clock.Sleep(kWritePauseMs);
  std::uint32_t errors = 0;
  std::uint32_t inQueue = 0;
  m_devices.ClearError(m_hPort, errors, inQueue);
  std::uint32_t written = 0;
  m_devices.Write(m_hPort, m_txBuffer + m_txPos, n, written);
  m_devices.Drain(m_hPort);
  if (written > n)
    written = n;
  m_txPos = static_cast<std::uint16_t>(m_txPos + written);
  return written == n;
}

bool CSerialPort::ClearReceiveErrors(std::uint32_t& inQueue) {
  std::uint32_t errors = 0;
  inQueue = 0;
  // A device that no longer answers (hung up, unplugged) counts as a receive error.
  if (!m_devices.ClearError(m_hPort, errors, inQueue))
    return false;
  return (errors & kReceiveErrors) == 0;
}

bool CSerialPort::BytesWaiting(std::uint16_t& count) {
  count = 0;
  if (!IsOpen())
    return false;
  std::uint32_t inQueue = 0;
  if (!ClearReceiveErrors(inQueue))
    return false;
  count = static_cast<std::uint16_t>(inQueue);
  return true;
}

bool CSerialPort::Read(std::uint16_t n) {
  if (!IsOpen())
    return false;
  std::uint32_t inQueue = 0;
  if (!ClearReceiveErrors(inQueue))
    return false;
  if (inQueue < n)
    return false;
  // Nothing may be stored beyond the end of the buffer.
  if (m_rxPos + n > kRxBufferSize)
    return false;
  std::uint32_t got = 0;
  m_devices.Read(m_hPort, m_rxBuffer + m_rxPos, n, got);
  if (got == n) {
    m_rxPos = static_cast<std::uint16_t>(m_rxPos + n);
    return true;
  }
  std::uint32_t errors = 0;
  m_devices.ClearError(m_hPort, errors, inQueue);
  return false;
}
