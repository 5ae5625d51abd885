// codeload and the station's ports file: the options that name it and list the ports, a wrong
// file stopping the start, a good one carrying a download to its scanner, and --list-ports run
// for real on this machine.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_helpers.h"
#include "tests/tools/child_process.h"
#include "tools/codeload/command_line.h"

namespace {

using namespace std::chrono_literals;
using tools_test::Codeload;
using tools_test::Contains;
using tools_test::Outcome;
using tools_test::ScannerSim;
using tools_test::SplitLines;

bool Parse(const std::vector<std::string>& args, codeload::Request& request, std::string& error) {
  std::vector<const char*> argv = {"codeload"};
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  return codeload::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), request, error);
}

TEST(CodeloadPortsOptions, ListPortsAndPortsFileAreRead) {
  struct Case {
    std::vector<std::string> args;
    bool listPorts;
    std::string portsFile;
    std::string error;  // empty: accepted
  };
  const Case cases[] = {
      {{"--list-ports"}, true, "", ""},
      {{"--list-ports", "--port", "COM1=/dev/ttyUSB0", "--ports-file", "/tmp/p"},
       true,
       "/tmp/p",
       ""},
      {{"--ports-file", "/srv/ports", "--yes", "carton", "X"}, false, "/srv/ports", ""},
      {{"--ports-file=/srv/ports", "leaflet", "X"}, false, "/srv/ports", ""},
      {{"carton", "X", "--ports-file"}, false, "", "--ports-file needs a PATH"},
      {{"--ports-file=", "carton", "X"}, false, "", "--ports-file needs a PATH"},
      {{"--ports-file", "", "carton", "X"}, false, "", "--ports-file needs a PATH"},
      {{"--list-ports", "carton", "X"},
       true,
       "",
       "--list-ports takes no kind of code or CODE; unexpected 'carton'"},
      // The port rules hold for a listing too.
      {{"--list-ports", "--port", "COM1=/dev/x", "--port", "COM1=/dev/y"},
       true,
       "",
       "--port COM1=/dev/x and --port COM1=/dev/y map COM1 twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    codeload::Request request;
    std::string error;
    EXPECT_EQ(Parse(c.args, request, error), c.error.empty());
    EXPECT_EQ(error, c.error);
    if (!c.error.empty())
      continue;
    EXPECT_EQ(request.listPorts, c.listPorts);
    EXPECT_EQ(request.portsFile, c.portsFile);
  }
}

class CodeloadPortsFile : public test_support::ConfigFolderTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = m_dir + "/" + name;
    test_support::WriteBytes(path, text);
    return path;
  }
};

TEST_F(CodeloadPortsFile, AWrongFileStopsTheStartWithItsLineNamed) {
  const std::string badName = Write("bad-name", "# station 7\nCOM1=/dev/ttyS0\nCOM5=/dev/ttyS4\n");
  const std::string twice = Write("twice", "COM2=/dev/ttyUSB0\r\nCOM2=/dev/ttyUSB1\r\n");
  const std::string missing = m_dir + "/missing";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"--ports-file", badName, "--yes", "carton", "X"},
       "codeload: " + badName + ":3: expected COMn=PATH with n 1-4, got 'COM5=/dev/ttyS4'\n"},
      {{"--ports-file", twice, "--list-ports"},
       "codeload: " + twice + ":2: lines 1 and 2 map COM2 twice\n"},
      {{"--ports-file=" + missing, "--yes", "leaflet", "X"},
       "codeload: cannot read " + missing + ": no such file or directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Outcome run = Codeload(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(CodeloadPortsFile, TheFileLeadsTheDownloadToItsScannerAndPortReplacesIt) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty()) << "the simulator gave no device path";
  const std::string good = Write("good", "# leaflet scanner\nCOM2 = " + sim.Path() + "  # sim\n");
  const std::string bad = Write("bad", "COM2\n");

  const Outcome fromFile = Codeload({"--ports-file", good, "--yes", "leaflet", "AB1"});
  EXPECT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_TRUE(Contains(fromFile.err, "codeload: COM2 is " + sim.Path() + "\n")) << fromFile.err;
  const std::vector<std::string> first = sim.LinesUntil("code: ", 3s);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.back(), "code: AB1");

  // The file is not read at all beside --port: a wrong one stops nothing.
  const Outcome fromOption =
      Codeload({"--port", "COM2=" + sim.Path(), "--ports-file", bad, "--yes", "leaflet", "CD2"});
  EXPECT_EQ(fromOption.status, 0) << fromOption.err;
  const std::vector<std::string> second = sim.LinesUntil("code: ", 3s);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.back(), "code: CD2");
}

TEST_F(CodeloadPortsFile, ListPortsShowsTheFileMappings) {
  const std::string file = Write("ports", "\nCOM3=/dev/null\n");
  const Outcome run = Codeload({"--list-ports", "--ports-file", file});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_GE(lines.size(), 7u) << run.out;
  EXPECT_EQ(lines[0], "COM ports (from " + file + "):");
  EXPECT_TRUE(lines[1].starts_with("COM1 -> /dev/ttyS0  (default)  ")) << lines[1];
  EXPECT_EQ(lines[3], "COM3 -> /dev/null  (" + file + ":2)  read/write ok");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "Serial devices:");
}

// On this machine as it is, with the station's own file if it has one.
TEST(CodeloadListPorts, RunsOnThisMachine) {
  const Outcome run = Codeload({"--list-ports"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("COM ports (")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\nCOM4 -> ")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\n\nSerial devices:\n")) << run.out;
  EXPECT_EQ(run.err, "");
}

}  // namespace
