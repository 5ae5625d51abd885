// codeload's account of the port it uses and of a failed open: the lines as the operator reads
// them, and the reporting devices in front of the real termios backend on a pseudo-terminal.
#include "tools/codeload/open_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "platform/posix_serial.h"
#include "tests/support/pty_pair.h"

namespace {

using platform::OpenCause;
using platform::OpenFailure;

TEST(OpenReport, NamesThePortThePathAndTheCause) {
  const std::string dialout =
      "permission denied; add your account to the dialout group (sudo adduser $USER dialout) and "
      "log in again";
  struct Case {
    OpenFailure failure;
    std::string line;
  };
  const Case cases[] = {
      {{"COM1", "/dev/ttyUSB0", OpenCause::PermissionDenied, EACCES, 0, ""},
       "codeload: cannot open COM1 (/dev/ttyUSB0): " + dialout},
      {{"COM2", "/dev/serial/by-id/usb-FTDI-if00", OpenCause::PermissionDenied, EPERM, 0, ""},
       "codeload: cannot open COM2 (/dev/serial/by-id/usb-FTDI-if00): " + dialout},
      // No group opens another user's pseudo-terminal.
      {{"COM1", "/dev/pts/4", OpenCause::PermissionDenied, EACCES, 0, ""},
       "codeload: cannot open COM1 (/dev/pts/4): permission denied"},
      {{"COM1", "/dev/pts/7", OpenCause::InUse, 0, 1234, "minicom"},
       "codeload: cannot open COM1 (/dev/pts/7): in use by pid 1234 (minicom)"},
      {{"COM2", "/dev/ttyS1", OpenCause::InUse, 0, 871, ""},
       "codeload: cannot open COM2 (/dev/ttyS1): in use by pid 871"},
      {{"COM1", "/dev/ttyS0", OpenCause::InUse, EBUSY, 0, ""},
       "codeload: cannot open COM1 (/dev/ttyS0): in use by another program"},
      {{"COM2", "/dev/ttyS9", OpenCause::NotFound, ENOENT, 0, ""},
       "codeload: cannot open COM2 (/dev/ttyS9): not found"},
      {{"COM1", "/tmp/x", OpenCause::NotSerialDevice, ENOTTY, 0, ""},
       "codeload: cannot open COM1 (/tmp/x): not a serial device"},
      {{"COM1", "/", OpenCause::Other, EISDIR, 0, ""},
       "codeload: cannot open COM1 (/): Is a directory"},
      {{"COM1", "/dev/ttyS0", OpenCause::Other, EIO, 0, ""},
       "codeload: cannot open COM1 (/dev/ttyS0): Input/output error"},
      {{"COM1", "/dev/ttyS0", OpenCause::Other, 0, 0, ""},
       "codeload: cannot open COM1 (/dev/ttyS0): failed"},
      {{"COM7", "", OpenCause::NoSuchName, 0, 0, ""},
       "codeload: cannot open COM7: no device path for this name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(codeload::OpenFailureLine(c.failure), c.line);
  }
}

TEST(OpenReport, TellsWhichDeviceEachKindOfCodeGoesTo) {
  EXPECT_STREQ(codeload::PortOf(CodeKind::Carton), "COM1");
  EXPECT_STREQ(codeload::PortOf(CodeKind::Leaflet), "COM2");
  EXPECT_EQ(codeload::PortLine("COM1", "/dev/pts/3"), "codeload: COM1 is /dev/pts/3");
  EXPECT_EQ(codeload::PortLine("COM2", "/dev/ttyS1"), "codeload: COM2 is /dev/ttyS1");
  EXPECT_EQ(codeload::PortLine("COM2", ""), "codeload: COM2 stands for no device");
}

TEST(OpenReport, ReportsEachFailedOpenAtOnceAndPassesTheRestThrough) {
  test_support::PtyPair pty;
  ASSERT_TRUE(pty.IsOpen());
  platform::PosixSerialDevices devices;
  devices.MapPort("COM1", "/nonexistent/codeload-port");
  devices.MapPort("COM2", pty.SlavePath());
  std::vector<std::string> said;
  codeload::ReportingSerialDevices reporting(
      devices, [&](const std::string& line) { said.push_back(line); });

  EXPECT_EQ(reporting.Open("COM1"), platform::kInvalidHandle);
  EXPECT_EQ(said, std::vector<std::string>{
                      "codeload: cannot open COM1 (/nonexistent/codeload-port): not found"});
  said.clear();

  const platform::DeviceHandle h = reporting.Open("COM2");
  ASSERT_NE(h, platform::kInvalidHandle);
  EXPECT_TRUE(reporting.SetImmediateReads(h));
  EXPECT_TRUE(reporting.SetLineSettings(h, platform::LineSettings{}));
  const std::uint8_t sent[] = {0x1B, '[', 'C'};
  std::uint32_t written = 0;
  EXPECT_TRUE(reporting.Write(h, sent, sizeof sent, written));
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(reporting.Drain(h));
  EXPECT_EQ(pty.ReadMaster(3, std::chrono::seconds(2)), std::vector<std::uint8_t>(sent, sent + 3));

  ASSERT_TRUE(pty.WriteMaster({'H', '\r'}));
  std::uint32_t errors = 1;
  std::uint32_t waiting = 0;
  ASSERT_TRUE(test_support::WaitUntil(
      [&] { return reporting.ClearError(h, errors, waiting) && waiting == 2; },
      std::chrono::seconds(2)));
  EXPECT_EQ(errors, 0u);
  std::uint8_t reply[4] = {};
  std::uint32_t got = 0;
  EXPECT_TRUE(reporting.Read(h, reply, sizeof reply, got));
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(reply[0], 'H');
  EXPECT_TRUE(reporting.Close(h));
  EXPECT_FALSE(reporting.Close(h));
  EXPECT_EQ(said, std::vector<std::string>{});
}

}  // namespace
