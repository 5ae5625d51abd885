// codeload's account of the port it uses and of a failed open: the lines as the operator reads
// them, on every system (open_report_pty_test.cpp puts them in front of the termios backend).
#include "tools/codeload/open_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

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
      // Any other cause is told in the system's own words (DeviceErrorText).
      {{"COM1", "/", OpenCause::Other, EISDIR, 0, ""},
       "codeload: cannot open COM1 (/): " + platform::DeviceErrorText(EISDIR)},
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

}  // namespace
