#include "scanner/serial_port.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/serial/fake_serial.h"

namespace {

constexpr PortSettings kCom1 = {0, 0, 0, 1, 0};

class SerialPortTest : public ::testing::Test {
 protected:
  SerialPortTest() { port.Reset(); }

  void Put(const std::string& bytes) { std::memcpy(port.m_txBuffer, bytes.data(), bytes.size()); }
  std::string Received() const {
    return std::string(reinterpret_cast<const char*>(port.m_rxBuffer), port.m_rxPos);
  }

  platform::VirtualClock clock{100};
  platform::FakeSerialDevices devices{clock};
  platform::FakeDevice& com1 = devices.Add("COM1");
  platform::FakeDevice& com2 = devices.Add("COM2");
  CSerialPort port{devices, clock};
};

TEST_F(SerialPortTest, OpenAppliesTheRecordsRowsAndReopenClosesTheOldDevice) {
  ASSERT_TRUE(port.Open(kCom1));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(com1.OpenCount(), 1);
  EXPECT_TRUE(com1.ImmediateReads());
  EXPECT_EQ(com1.Settings().baudRate, 9600u);
  EXPECT_EQ(com1.Settings().byteSize, 8);
  EXPECT_EQ(com1.Settings().parity, platform::NOPARITY);
  EXPECT_EQ(com1.Settings().stopBits, platform::ONESTOPBIT);

  // Row 1 of the parity table is even, row 2 odd.
  ASSERT_TRUE(port.Open({1, 4, 1, 0, 2}));
  EXPECT_EQ(com1.OpenCount(), 0);
  EXPECT_EQ(com2.Settings().baudRate, 115200u);
  EXPECT_EQ(com2.Settings().parity, platform::EVENPARITY);
  EXPECT_EQ(com2.Settings().byteSize, 7);
  EXPECT_EQ(com2.Settings().stopBits, platform::TWOSTOPBITS);
  ASSERT_TRUE(port.Open({1, 0, 2, 1, 0}));
  EXPECT_EQ(com2.Settings().parity, platform::ODDPARITY);

  // A failed open still closes the device that was open.
  EXPECT_FALSE(port.Open({3, 0, 0, 1, 0}));  // COM4 does not exist
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(devices.OpenHandles(), 0);
}

TEST_F(SerialPortTest, OpenFailsForAHeldDeviceAndForRowsOutsideTheTables) {
  com1.SetHeld(true);
  EXPECT_FALSE(port.Open(kCom1));
  EXPECT_FALSE(port.IsOpen());
  com1.SetHeld(false);
  EXPECT_FALSE(port.Open({4, 0, 0, 1, 0}));
  EXPECT_FALSE(port.Open({0, 5, 0, 1, 0}));
  EXPECT_FALSE(port.Open({0, 0, -1, 1, 0}));
  EXPECT_FALSE(port.Open({0, 0, 0, 2, 0}));
  EXPECT_FALSE(port.Open({0, 0, 0, 1, 3}));
  EXPECT_EQ(devices.OpenHandles(), 0);
  // A second object cannot take a device the first holds.
  ASSERT_TRUE(port.Open(kCom1));
  CSerialPort other(devices, clock);
  other.Reset();
  EXPECT_FALSE(other.Open(kCom1));
}

TEST_F(SerialPortTest, ClosedObjectRefusesEverythingButPurge) {
  port.m_txPos = 3;
  port.m_rxPos = 5;
  const std::uint32_t before = clock.TickCount();
  EXPECT_FALSE(port.Write(1));
  EXPECT_EQ(clock.TickCount(), before) << "no pause on a closed port";
  EXPECT_FALSE(port.Read(0));
  std::uint16_t count = 9;
  EXPECT_FALSE(port.BytesWaiting(count));
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(port.Close());
  port.Purge(PURGE_BOTH);
  EXPECT_EQ(port.m_txPos, 0);
  EXPECT_EQ(port.m_rxPos, 0);

  ASSERT_TRUE(port.Open(kCom1));
  EXPECT_TRUE(port.Close());
  EXPECT_FALSE(port.Close());
  port.Reset();
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, WritePausesAndSendsFromTheTransmitPosition) {
  ASSERT_TRUE(port.Open(kCom1));
  Put("ABCDEF");
  const std::uint32_t before = clock.TickCount();
  EXPECT_TRUE(port.Write(2));
  EXPECT_EQ(clock.TickCount() - before, 20u);
  EXPECT_TRUE(port.Write(3));
  EXPECT_EQ(com1.AllWritten(), "ABCDE");
  EXPECT_EQ(port.m_txPos, 5);

  // A short write fails, and the position still moves by what went out.
  com1.ShortenWrite(2, 0);
  EXPECT_FALSE(port.Write(1));
  EXPECT_EQ(port.m_txPos, 5);
  EXPECT_EQ(com1.AllWritten(), "ABCDE");
  port.Purge(PURGE_TRANSMIT);
  Put("XYZW");
  com1.ShortenWrite(3, 2);
  EXPECT_FALSE(port.Write(4));
  EXPECT_EQ(port.m_txPos, 2);
  EXPECT_EQ(com1.AllWritten(), "ABCDEXY");

  // Nothing is sent from beyond the end of the buffer.
  port.m_txPos = kTxBufferSize - 2;
  EXPECT_FALSE(port.Write(3));
  EXPECT_TRUE(port.Write(2));
}

TEST_F(SerialPortTest, ReadTakesExactlyTheCountOnceItHasArrived) {
  ASSERT_TRUE(port.Open(kCom1));
  com1.Arrive(0, "ab");
  EXPECT_TRUE(port.Read(2));
  com1.Arrive(0, "cd");
  com1.Arrive(50, "ef");
  EXPECT_FALSE(port.Read(4));
  EXPECT_EQ(Received(), "ab");
  EXPECT_EQ(com1.Pending(), 2u) << "a refused read consumes nothing";
  EXPECT_TRUE(port.Read(0));
  clock.Advance(50);
  std::uint16_t count = 0;
  EXPECT_TRUE(port.BytesWaiting(count));
  EXPECT_EQ(count, 4);
  EXPECT_TRUE(port.Read(4));
  EXPECT_EQ(Received(), "abcdef");

  // Nothing is stored beyond the end of the buffer.
  port.m_rxPos = kRxBufferSize - 1;
  com1.Arrive(0, "gh");
  EXPECT_FALSE(port.Read(2));
  EXPECT_TRUE(port.Read(1));
}

TEST_F(SerialPortTest, ReceiveErrorsFailOncePerOccurrence) {
  ASSERT_TRUE(port.Open(kCom1));
  com1.Arrive(0, "abc");
  std::uint16_t count = 7;
  for (const std::uint32_t error :
       {platform::CE_RXPARITY, platform::CE_OVERRUN, platform::CE_RXOVER}) {
    com1.RaiseErrors(0, error);
    EXPECT_FALSE(port.BytesWaiting(count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(port.BytesWaiting(count));
    EXPECT_EQ(count, 3);
    com1.RaiseErrors(0, error);
    EXPECT_FALSE(port.Read(3));
    EXPECT_EQ(com1.Pending(), 3u);
  }
  com1.RaiseErrors(0, platform::CE_FRAME | platform::CE_BREAK);
  EXPECT_TRUE(port.BytesWaiting(count));
  com1.RaiseErrors(0, platform::CE_FRAME | platform::CE_BREAK);
  EXPECT_TRUE(port.Read(3));
}

TEST_F(SerialPortTest, PurgeModes) {
  ASSERT_TRUE(port.Open(kCom1));
  com1.Arrive(0, "abc");
  ASSERT_TRUE(port.Read(3));
  port.m_txPos = 4;
  com1.Arrive(0, "waiting");

  port.Purge(7);  // unknown mode: nothing
  EXPECT_EQ(port.m_rxPos, 3);
  EXPECT_EQ(port.m_txPos, 4);
  port.Purge(PURGE_TRANSMIT);
  EXPECT_EQ(port.m_txPos, 0);
  EXPECT_EQ(port.m_rxPos, 3);
  EXPECT_EQ(com1.Pending(), 7u);

  port.m_txPos = 4;
  port.Purge(PURGE_BOTH);
  EXPECT_EQ(port.m_txPos, 0);
  EXPECT_EQ(port.m_rxPos, 0);
  EXPECT_EQ(com1.Pending(), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(port.m_rxBuffer), 3), "abc")
      << "discarded input never reaches the buffer";

  com1.Arrive(0, "more");
  port.m_rxPos = 2;
  port.Purge(PURGE_RECEIVE);
  EXPECT_EQ(port.m_rxPos, 0);
  EXPECT_EQ(com1.Pending(), 0u);
}

TEST_F(SerialPortTest, HungUpDeviceFailsEveryOperation) {
  ASSERT_TRUE(port.Open(kCom1));
  com1.Arrive(0, "ab");
  com1.HangUp();
  std::uint16_t count = 0;
  EXPECT_FALSE(port.BytesWaiting(count));
  EXPECT_FALSE(port.Read(2));
  Put("A");
  EXPECT_FALSE(port.Write(1));
  EXPECT_EQ(port.m_txPos, 0);
  EXPECT_TRUE(port.Close());
}

TEST(SerialPortReset, ForgetsAnOpenDeviceWithoutClosingIt) {
  platform::VirtualClock clock;
  platform::FakeSerialDevices devices{clock};
  platform::FakeDevice& com1 = devices.Add("COM1");
  CSerialPort port(devices, clock);
  port.Reset();
  ASSERT_TRUE(port.Open(kCom1));
  port.Reset();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(com1.OpenCount(), 1);  // still held: the owner resets only a closed port
  EXPECT_FALSE(port.Open(kCom1));
}

}  // namespace
