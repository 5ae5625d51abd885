// CSerialPort over the real termios backend and a pseudo-terminal, on the machine's own clock.
// The master of the pseudo-terminal plays the scanner.
#include "scanner/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/serial/posix_serial.h"
#include "tests/support/pty_pair.h"

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kArrival{2000};  // the kernel hands bytes across within this
constexpr milliseconds kQuiet{50};      // long enough to see that nothing more comes

// COM1 at 9600 baud, no parity, 8 bits, one stop bit: the carton scanner's line.
constexpr PortSettings kCom1{0, 0, 0, 1, 0};

std::vector<std::uint8_t> Bytes(const char* text) {
  return std::vector<std::uint8_t>(text, text + std::char_traits<char>::length(text));
}

class SerialPortPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_pty.IsOpen());
    m_devices.MapPort("COM1", m_pty.SlavePath());
  }

  bool WaitForWaiting(std::uint16_t n) {
    return test_support::WaitUntil(
        [&] {
          std::uint16_t count = 0;
          return m_port.BytesWaiting(count) && count >= n;
        },
        kArrival);
  }

  std::uint16_t Waiting() {
    std::uint16_t count = 0;
    EXPECT_TRUE(m_port.BytesWaiting(count));
    return count;
  }

  std::vector<std::uint8_t> Received(std::uint16_t from, std::uint16_t to) const {
    return std::vector<std::uint8_t>(m_port.m_rxBuffer + from, m_port.m_rxBuffer + to);
  }

  // Declared first so that the devices close the slave before the master goes.
  test_support::PtyPair m_pty;
  platform::PosixSerialDevices m_devices;
  platform::SystemClock m_clock;
  CSerialPort m_port{m_devices, m_clock};
};

TEST_F(SerialPortPtyTest, OpensTheMappedPortForItselfAlone) {
  EXPECT_FALSE(m_port.IsOpen());
  ASSERT_TRUE(m_port.Open(kCom1));
  EXPECT_TRUE(m_port.IsOpen());

  CSerialPort rival(m_devices, m_clock);
  EXPECT_FALSE(rival.Open(kCom1));
  EXPECT_FALSE(rival.IsOpen());
  platform::PosixSerialDevices otherDevices;
  otherDevices.MapPort("COM1", m_pty.SlavePath());
  CSerialPort stranger(otherDevices, m_clock);
  EXPECT_FALSE(stranger.Open(kCom1));

  // Opening again closes first, so it succeeds on the port it holds.
  EXPECT_TRUE(m_port.Open(kCom1));
  EXPECT_TRUE(m_port.Close());
  EXPECT_FALSE(m_port.IsOpen());
  EXPECT_FALSE(m_port.Close());

  ASSERT_TRUE(rival.Open(kCom1));
  EXPECT_TRUE(rival.Close());

  // A device that is not there, and a setting outside the tables.
  m_devices.MapPort("COM2", "/nonexistent/codepanel-tty");
  EXPECT_FALSE(m_port.Open(PortSettings{1, 0, 0, 1, 0}));
  EXPECT_FALSE(m_port.Open(PortSettings{0, 5, 0, 1, 0}));
  EXPECT_FALSE(m_port.IsOpen());
}

TEST_F(SerialPortPtyTest, ResetForgetsAnOpenPortWithoutClosingIt) {
  ASSERT_TRUE(m_port.Open(kCom1));
  m_port.m_txPos = 7;
  m_port.m_rxPos = 9;
  m_port.Reset();
  EXPECT_FALSE(m_port.IsOpen());
  EXPECT_EQ(m_port.m_txPos, 0);
  EXPECT_EQ(m_port.m_rxPos, 0);
  EXPECT_FALSE(m_port.Close());

  // The device is still held by the forgotten handle.
  CSerialPort rival(m_devices, m_clock);
  EXPECT_FALSE(rival.Open(kCom1));
}

TEST_F(SerialPortPtyTest, WritesSendFromTheTransmitPositionOn) {
  ASSERT_TRUE(m_port.Open(kCom1));
  for (std::uint16_t i = 0; i < kTxBufferSize; ++i) {
    m_port.m_txBuffer[i] = static_cast<std::uint8_t>(0xF0 - i);
  }
  const auto part = [&](std::uint16_t from, std::uint16_t to) {
    return std::vector<std::uint8_t>(m_port.m_txBuffer + from, m_port.m_txBuffer + to);
  };

  // Without a purge in between, each write goes on where the previous one stopped.
  ASSERT_TRUE(m_port.Write(5));
  EXPECT_EQ(m_port.m_txPos, 5);
  ASSERT_TRUE(m_port.Write(7));
  EXPECT_EQ(m_port.m_txPos, 12);
  EXPECT_EQ(m_pty.ReadMaster(12, kArrival), part(0, 12));

  m_port.m_txPos = 100;
  ASSERT_TRUE(m_port.Write(4));
  EXPECT_EQ(m_port.m_txPos, kTxBufferSize);
  EXPECT_EQ(m_pty.ReadMaster(5, kQuiet), part(100, 104));
}

TEST_F(SerialPortPtyTest, ReadTakesNothingUntilAllBytesHaveArrived) {
  ASSERT_TRUE(m_port.Open(kCom1));
  ASSERT_TRUE(m_pty.WriteMaster(Bytes("AB")));
  ASSERT_TRUE(WaitForWaiting(2));
  ASSERT_TRUE(m_port.Read(2));
  EXPECT_EQ(m_port.m_rxPos, 2);

  ASSERT_TRUE(m_pty.WriteMaster(Bytes("CDE")));
  ASSERT_TRUE(WaitForWaiting(3));
  EXPECT_FALSE(m_port.Read(5));
  EXPECT_EQ(m_port.m_rxPos, 2);
  EXPECT_EQ(Waiting(), 3);

  ASSERT_TRUE(m_pty.WriteMaster(Bytes("FG")));
  ASSERT_TRUE(WaitForWaiting(5));
  ASSERT_TRUE(m_port.Read(5));
  EXPECT_EQ(m_port.m_rxPos, 7);
  EXPECT_EQ(Received(0, 7), Bytes("ABCDEFG"));
  EXPECT_EQ(Waiting(), 0);
}

TEST_F(SerialPortPtyTest, PurgeEmptiesTheInputQueueButNotTheReceiveBuffer) {
  ASSERT_TRUE(m_port.Open(kCom1));
  ASSERT_TRUE(m_pty.WriteMaster(Bytes("XY")));
  ASSERT_TRUE(WaitForWaiting(2));
  ASSERT_TRUE(m_port.Read(2));
  ASSERT_TRUE(m_pty.WriteMaster(Bytes("\x02stale reply\x03")));
  ASSERT_TRUE(WaitForWaiting(13));
  const std::vector<std::uint8_t> before = Received(0, kRxBufferSize);
  m_port.m_txPos = 9;

  m_port.Purge(PURGE_BOTH);
  EXPECT_EQ(Waiting(), 0);
  EXPECT_EQ(m_port.m_rxPos, 0);
  EXPECT_EQ(m_port.m_txPos, 0);
  EXPECT_EQ(Received(0, kRxBufferSize), before);
  EXPECT_EQ(Received(0, 2), Bytes("XY"));
}

TEST_F(SerialPortPtyTest, ClosedPortRefusesEveryTransfer) {
  const auto expectRefused = [&] {
    std::uint16_t count = 77;
    EXPECT_FALSE(m_port.BytesWaiting(count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(m_port.Write(1));
    EXPECT_FALSE(m_port.Read(1));
    EXPECT_FALSE(m_port.Close());
    EXPECT_EQ(m_port.m_txPos, 0);
    EXPECT_EQ(m_port.m_rxPos, 0);
  };
  {
    SCOPED_TRACE("never opened");
    expectRefused();
  }
  ASSERT_TRUE(m_port.Open(kCom1));
  ASSERT_TRUE(m_port.Close());
  {
    SCOPED_TRACE("closed again");
    expectRefused();
  }
}

TEST_F(SerialPortPtyTest, HangUpFailsEveryTransfer) {
  ASSERT_TRUE(m_port.Open(kCom1));
  m_pty.CloseMaster();

  std::uint16_t count = 77;
  EXPECT_FALSE(m_port.BytesWaiting(count));
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(m_port.Read(1));
  EXPECT_EQ(m_port.m_rxPos, 0);
  EXPECT_FALSE(m_port.Write(3));
  EXPECT_EQ(m_port.m_txPos, 0);
  // Still open as far as the port knows, so it can be closed.
  EXPECT_TRUE(m_port.Close());
}

}  // namespace
