// codeload's reporting devices in front of the real termios backend on a pseudo-terminal, and the
// C library's own words for a cause the backend does not name.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "platform/serial/posix_serial.h"
#include "tests/support/pty_pair.h"
#include "tools/codeload/open_report.h"

namespace {

using platform::OpenCause;
using platform::OpenFailure;

TEST(OpenReport, OtherCausesInTheWordsOfTheCLibrary) {
  EXPECT_EQ(codeload::OpenFailureLine({"COM1", "/", OpenCause::Other, EISDIR, 0, ""}),
            "codeload: cannot open COM1 (/): Is a directory");
  EXPECT_EQ(codeload::OpenFailureLine({"COM1", "/dev/ttyS0", OpenCause::Other, EIO, 0, ""}),
            "codeload: cannot open COM1 (/dev/ttyS0): Input/output error");
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
