// The termios backend on a real pseudo-terminal: the slave is the device, the master the far end.
#include "platform/posix_serial.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/pty_pair.h"

namespace {

using platform::DeviceHandle;
using platform::kInvalidHandle;
using platform::LineSettings;
using platform::PosixSerialDevices;
using std::chrono::milliseconds;

constexpr milliseconds kArrival{2000};  // the kernel hands bytes across within this
constexpr milliseconds kPrompt{100};    // a call that must not wait returns within this

std::vector<std::uint8_t> AllByteValues() {
  std::vector<std::uint8_t> bytes(256);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

template <typename F>
milliseconds TimeOf(F call) {
  const auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

// Whether the device is in exclusive mode, seen through a probe of our own. An unprivileged
// probe is turned away by exclusive mode itself, which answers the question as well.
bool HeldExclusively(const std::string& path) {
  const int probe = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0)
    return errno == EBUSY;
  int exclusive = 0;
  const bool asked = ::ioctl(probe, TIOCGEXCL, &exclusive) == 0;
  ::close(probe);
  return asked && exclusive != 0;
}

class PosixSerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_pty.IsOpen());
    m_devices.MapPort("COM1", m_pty.SlavePath());
  }

  // Opens COM1 as the scanner link does: immediate reads, then 9600 8N1.
  DeviceHandle OpenConfigured() {
    const DeviceHandle h = m_devices.Open("COM1");
    EXPECT_NE(h, kInvalidHandle);
    EXPECT_TRUE(m_devices.SetImmediateReads(h));
    EXPECT_TRUE(m_devices.SetLineSettings(h, LineSettings{}));
    return h;
  }

  std::uint32_t Waiting(DeviceHandle h) {
    std::uint32_t errors = 0;
    std::uint32_t inQueue = 0;
    EXPECT_TRUE(m_devices.ClearError(h, errors, inQueue));
    EXPECT_EQ(errors, 0u);
    return inQueue;
  }

  bool WaitForWaiting(DeviceHandle h, std::uint32_t n) {
    return test_support::WaitUntil([&] { return Waiting(h) >= n; }, kArrival);
  }

  // Declared first so that the devices close the slave before the master goes.
  test_support::PtyPair m_pty;
  PosixSerialDevices m_devices;
};

TEST(PosixSerialDevicesNames, MapsComPortsToSerialDevicesUntilMappedElsewhere) {
  PosixSerialDevices devices;
  const std::pair<const char*, const char*> defaults[] = {
      {"COM1", "/dev/ttyS0"}, {"COM2", "/dev/ttyS1"},
      {"COM3", "/dev/ttyS2"}, {"COM4", "/dev/ttyS3"},
      {"COM5", ""},           {"COM9", ""},
      {"com1", ""},           {"", ""},
  };
  for (const auto& [name, path] : defaults) {
    SCOPED_TRACE(name);
    EXPECT_EQ(devices.DevicePath(name), path);
  }

  devices.MapPort("COM2", "/dev/ttyUSB0");
  devices.MapPort("COM9", "/dev/pts/7");
  EXPECT_EQ(devices.DevicePath("COM2"), "/dev/ttyUSB0");
  EXPECT_EQ(devices.DevicePath("COM9"), "/dev/pts/7");
  EXPECT_EQ(devices.DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(devices.DevicePath("COM3"), "/dev/ttyS2");
}

TEST(PosixSerialDevicesNames, OpenFailsForWhatIsNoUsableDevice) {
  PosixSerialDevices devices;
  devices.MapPort("COM1", "/nonexistent/codepanel-tty");
  devices.MapPort("COM2", "/dev/null");  // exists and can be locked, but is no terminal
  for (const char* name : {"COM1", "COM2", "COM9", "com3", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(devices.Open(name), kInvalidHandle);
  }
}

TEST_F(PosixSerialTest, HoldsTheDeviceExclusivelyUntilClosed) {
  m_devices.MapPort("SCANNER", m_pty.SlavePath());
  const DeviceHandle h = m_devices.Open("SCANNER");
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_TRUE(HeldExclusively(m_pty.SlavePath()));

  // Turned away by the same object, under another name, and by another object.
  EXPECT_EQ(m_devices.Open("SCANNER"), kInvalidHandle);
  EXPECT_EQ(m_devices.Open("COM1"), kInvalidHandle);
  PosixSerialDevices other;
  other.MapPort("COM1", m_pty.SlavePath());
  EXPECT_EQ(other.Open("COM1"), kInvalidHandle);

  // The refused openers left the holder's device working.
  ASSERT_TRUE(m_devices.SetLineSettings(h, LineSettings{}));
  const std::vector<std::uint8_t> hello = {'O', 'K'};
  std::uint32_t written = 0;
  EXPECT_TRUE(m_devices.Write(h, hello.data(), 2, written));
  EXPECT_EQ(m_pty.ReadMaster(2, kArrival), hello);

  EXPECT_TRUE(m_devices.Close(h));
  EXPECT_FALSE(m_devices.Close(h));
  // Exclusive mode is off again, so that an unprivileged user can open the line while the
  // master keeps it alive.
  EXPECT_FALSE(HeldExclusively(m_pty.SlavePath()));
  const DeviceHandle again = other.Open("COM1");
  EXPECT_NE(again, kInvalidHandle);
  EXPECT_TRUE(other.Close(again));
}

TEST_F(PosixSerialTest, DestructorReleasesWhatIsStillOpen) {
  {
    PosixSerialDevices forgetful;
    forgetful.MapPort("COM1", m_pty.SlavePath());
    ASSERT_NE(forgetful.Open("COM1"), kInvalidHandle);
  }
  const DeviceHandle h = m_devices.Open("COM1");
  EXPECT_NE(h, kInvalidHandle);
  EXPECT_TRUE(m_devices.Close(h));
}

TEST_F(PosixSerialTest, RefusesHandlesItDidNotGiveOut) {
  const DeviceHandle h = OpenConfigured();
  ASSERT_TRUE(m_devices.Close(h));
  std::uint8_t byte = 0x55;
  // A closed handle, an invalid one, and a descriptor that is open but not ours.
  for (const DeviceHandle stranger : {h, kInvalidHandle, DeviceHandle{STDERR_FILENO}}) {
    SCOPED_TRACE(stranger);
    std::uint32_t errors = 1;
    std::uint32_t inQueue = 1;
    std::uint32_t count = 1;
    EXPECT_FALSE(m_devices.SetImmediateReads(stranger));
    EXPECT_FALSE(m_devices.SetLineSettings(stranger, LineSettings{}));
    EXPECT_FALSE(m_devices.ClearError(stranger, errors, inQueue));
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(inQueue, 0u);
    EXPECT_FALSE(m_devices.Read(stranger, &byte, 1, count));
    EXPECT_EQ(count, 0u);
    count = 1;
    EXPECT_FALSE(m_devices.Write(stranger, &byte, 1, count));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(m_devices.Drain(stranger));
    EXPECT_FALSE(m_devices.Close(stranger));
  }
}

TEST_F(PosixSerialTest, LineSettingsTakeTheSupportedRatesAndFramesOnly) {
  const DeviceHandle h = m_devices.Open("COM1");
  ASSERT_NE(h, kInvalidHandle);
  const int fd = static_cast<int>(h);

  struct Rate {
    std::uint32_t baudRate;
    speed_t speed;
  };
  for (const Rate rate : {Rate{9600, B9600}, Rate{19200, B19200}, Rate{38400, B38400},
                          Rate{57600, B57600}, Rate{115200, B115200}}) {
    SCOPED_TRACE(rate.baudRate);
    LineSettings settings;
    settings.baudRate = rate.baudRate;
    ASSERT_TRUE(m_devices.SetLineSettings(h, settings));
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), rate.speed);
    EXPECT_EQ(::cfgetispeed(&tio), rate.speed);
  }

  // A pseudo-terminal carries whole bytes: it forces eight bits without parity, and the C library
  // may report a request for anything else as failed. Only the stop bits can be seen here.
  const std::pair<std::uint8_t, bool> stopBits[] = {
      {platform::ONESTOPBIT, false},
      {platform::ONE5STOPBITS, true},
      {platform::TWOSTOPBITS, true},
      {platform::ONESTOPBIT, false},
  };
  for (const auto& [code, two] : stopBits) {
    SCOPED_TRACE(int{code});
    LineSettings settings;
    settings.stopBits = code;
    ASSERT_TRUE(m_devices.SetLineSettings(h, settings));
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, two);
  }

  LineSettings unsupported[7];
  unsupported[0].baudRate = 4800;
  unsupported[1].baudRate = 14400;
  unsupported[2].baudRate = 0;
  unsupported[3].byteSize = 6;
  unsupported[4].byteSize = 9;
  unsupported[5].parity = 3;  // mark
  unsupported[6].stopBits = 3;
  LineSettings fast;
  fast.baudRate = 115200;
  ASSERT_TRUE(m_devices.SetLineSettings(h, fast));
  for (const LineSettings& settings : unsupported) {
    EXPECT_FALSE(m_devices.SetLineSettings(h, settings));
  }
  // A refused request leaves the line as it was.
  termios tio{};
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B115200);
}

TEST_F(PosixSerialTest, ImmediateReadsReturnAtOnceWithNothing) {
  ASSERT_TRUE(m_pty.MakeLineCooked());
  const DeviceHandle h = OpenConfigured();
  termios tio{};
  ASSERT_EQ(::tcgetattr(static_cast<int>(h), &tio), 0);
  // Whatever read timing the line had before, reads no longer wait.
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);

  std::uint8_t buffer[16] = {};
  std::uint32_t got = 99;
  bool read = false;
  const milliseconds took = TimeOf([&] { read = m_devices.Read(h, buffer, sizeof buffer, got); });
  EXPECT_TRUE(read);
  EXPECT_EQ(got, 0u);
  EXPECT_LT(took, kPrompt);
  EXPECT_EQ(Waiting(h), 0u);
}

TEST_F(PosixSerialTest, ReceivesEveryByteValueAsSentAndInOrder) {
  ASSERT_TRUE(m_pty.MakeLineCooked());
  const DeviceHandle h = OpenConfigured();
  const std::vector<std::uint8_t> sent = AllByteValues();
  ASSERT_TRUE(m_pty.WriteMaster(sent));
  ASSERT_TRUE(WaitForWaiting(h, 256));
  EXPECT_EQ(Waiting(h), 256u);

  // Partial reads take the bytes from the front and leave the rest counted.
  std::vector<std::uint8_t> received(300, 0);
  std::uint32_t got = 0;
  ASSERT_TRUE(m_devices.Read(h, received.data(), 10, got));
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(Waiting(h), 246u);
  std::uint32_t rest = 0;
  ASSERT_TRUE(m_devices.Read(h, received.data() + 10, 290, rest));
  EXPECT_EQ(rest, 246u);
  received.resize(got + rest);
  EXPECT_EQ(received, sent);

  EXPECT_EQ(Waiting(h), 0u);
  ASSERT_TRUE(m_devices.Read(h, received.data(), 1, got));
  EXPECT_EQ(got, 0u);
  // Nothing came back: no echo.
  EXPECT_TRUE(m_pty.ReadMaster(1, milliseconds(50)).empty());
}

TEST_F(PosixSerialTest, SendsEveryByteValueUnchanged) {
  ASSERT_TRUE(m_pty.MakeLineCooked());
  const DeviceHandle h = OpenConfigured();

  const std::vector<std::uint8_t> all = AllByteValues();
  std::uint32_t written = 0;
  EXPECT_TRUE(m_devices.Write(h, all.data(), 256, written));
  EXPECT_EQ(written, 256u);
  EXPECT_TRUE(m_devices.Drain(h));
  EXPECT_EQ(m_pty.ReadMaster(256, kArrival), all);

  // Line ends and flow-control characters are data like any other byte.
  const std::vector<std::uint8_t> controls = {0x0A, 0x0D, 0x11, 0x13, 0x0D, 0x0A, 0x13};
  EXPECT_TRUE(m_devices.Write(h, controls.data(), 7, written));
  EXPECT_EQ(written, 7u);
  EXPECT_TRUE(m_devices.Drain(h));
  EXPECT_EQ(m_pty.ReadMaster(8, milliseconds(200)), controls);
}

TEST_F(PosixSerialTest, HangUpFailsEveryTransferPromptly) {
  const DeviceHandle h = OpenConfigured();
  ASSERT_TRUE(m_pty.WriteMaster({0x02, 0x03}));
  ASSERT_TRUE(WaitForWaiting(h, 2));
  m_pty.CloseMaster();

  std::uint32_t errors = 0;
  std::uint32_t inQueue = 0;
  bool cleared = true;
  EXPECT_LT(TimeOf([&] { cleared = m_devices.ClearError(h, errors, inQueue); }), kPrompt);
  EXPECT_FALSE(cleared);

  std::uint8_t buffer[8] = {};
  std::uint32_t got = 0;
  bool read = true;
  EXPECT_LT(TimeOf([&] { read = m_devices.Read(h, buffer, sizeof buffer, got); }), kPrompt);
  EXPECT_FALSE(read);
  EXPECT_EQ(got, 0u);

  const std::uint8_t reply[4] = {0x02, 'A', 'B', 0x03};
  std::uint32_t written = 99;
  bool wrote = true;
  EXPECT_LT(TimeOf([&] { wrote = m_devices.Write(h, reply, sizeof reply, written); }), kPrompt);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(written, 0u);

  bool drained = true;
  EXPECT_LT(TimeOf([&] { drained = m_devices.Drain(h); }), kPrompt);
  EXPECT_FALSE(drained);

  EXPECT_TRUE(m_devices.Close(h));
}

}  // namespace
