// codeload's command line: port mappings that contradict one another, and codes that hold a
// control byte, which never reach the scanner.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/child_process.h"
#include "tools/codeload/command_line.h"

namespace {

using namespace std::chrono_literals;
using tools_test::Codeload;
using tools_test::Contains;
using tools_test::Outcome;
using tools_test::ScannerSim;

bool Parse(const std::vector<std::string>& args, codeload::Request& request, std::string& error) {
  std::vector<const char*> argv = {"codeload"};
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  return codeload::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), request, error);
}

// A folder with a device stand-in and a second name for it.
class TwoNamesForOneDevice {
 public:
  TwoNamesForOneDevice() {
    char pattern[] = "/tmp/codeload-ports-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
      return;
    m_folder = pattern;
    std::ofstream(m_folder + "/ttyUSB0") << "";
    std::filesystem::create_symlink(m_folder + "/ttyUSB0", m_folder + "/by-path");
  }
  ~TwoNamesForOneDevice() {
    if (!m_folder.empty())
      std::filesystem::remove_all(m_folder);
  }
  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
};

TEST(CodeloadCommandLine, PortsThatContradictEachOtherAreUsageErrors) {
  TwoNamesForOneDevice device;
  ASSERT_FALSE(device.Folder().empty());
  const std::string dev = device.Folder() + "/ttyUSB0";
  const std::string link = device.Folder() + "/by-path";
  const std::string other = device.Folder() + "/ttyUSB1";
  std::ofstream(other) << "";
  struct Case {
    const char* name;
    std::vector<std::string> ports;  // the --port values, in order
    bool accepted;
    std::vector<std::string> named;  // what the error names
  };
  const Case cases[] = {
      {"one port on each device", {"COM1=" + dev, "COM2=" + other}, true, {}},
      {"paths that do not exist, told apart as written",
       {"COM1=/nonexistent/a", "COM2=/nonexistent/b"},
       true,
       {}},
      {"one port mapped twice",
       {"COM1=/dev/ttyUSB0", "COM1=/dev/ttyUSB1"},
       false,
       {"--port COM1=/dev/ttyUSB0", "--port COM1=/dev/ttyUSB1", "twice"}},
      {"one port mapped twice to the same path",
       {"COM2=" + dev, "COM3=" + other, "COM2=" + dev},
       false,
       {"--port COM2=" + dev + " and --port COM2=" + dev, "twice"}},
      {"two ports on one path as written",
       {"COM1=/dev/x", "COM2=/dev/x"},
       false,
       {"--port COM1=/dev/x", "--port COM2=/dev/x", "same device"}},
      {"two ports on one device through a link",
       {"COM1=" + dev, "COM2=" + link},
       false,
       {"--port COM1=" + dev, "--port COM2=" + link, "same device"}},
      {"two ports on one device spelt differently",
       {"COM4=" + device.Folder() + "/./ttyUSB0", "COM3=" + other, "COM1=" + dev},
       false,
       {"--port COM4=" + device.Folder() + "/./ttyUSB0", "--port COM1=" + dev}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args;
    for (const std::string& port : c.ports)
      args.insert(args.end(), {"--port", port});
    args.insert(args.end(), {"carton", "X"});
    codeload::Request request;
    std::string error;
    EXPECT_EQ(Parse(args, request, error), c.accepted) << error;
    for (const std::string& part : c.named)
      EXPECT_TRUE(Contains(error, part)) << error;
    if (c.accepted) {
      EXPECT_EQ(request.ports.size(), c.ports.size());
    }
  }

  // The same check through the --port=VALUE spelling, and the exit status of the program.
  const Outcome run =
      Codeload({"--port=COM1=/dev/x", "--port=COM2=/dev/x", "--yes", "carton", "X"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, "--port COM1=/dev/x and --port COM2=/dev/x")) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(CodeloadCommandLine, CodeWithAControlByteIsRefusedBeforeAnythingIsSent) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  const std::string box =
      "Il codice contiene caratteri non ammessi !\nLa procedura di invio codice sar\u00E0 "
      "annullata!\n";
  struct Case {
    std::vector<std::string> args;
    std::string notice;
  };
  const Case cases[] = {
      {{"--port", "COM1=" + sim.Path(), "--yes", "carton",
        "AB\x1B"
        "CD"},
       "codeload: CODE holds <ESC> at position 3; control bytes (00-1F, 7F) cannot be sent\n"},
      // Without --yes the question is not even asked.
      {{"--port", "COM2=" + sim.Path(), "leaflet", "LOT\t42"}, "CODE holds <TAB> at position 4"},
      {{"--port", "COM1=" + sim.Path(), "--yes", "carton", "--", "-\x7F"},
       "CODE holds <DEL> at position 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Outcome run = Codeload(c.args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, c.notice)) << run.err;
    EXPECT_TRUE(Contains(run.err, box)) << run.err;
    EXPECT_LT(run.err.find(c.notice), run.err.find(box)) << run.err;
    EXPECT_FALSE(Contains(run.err, "Confermi")) << run.err;
  }
  // Nothing reached the scanner.
  EXPECT_EQ(sim.LinesUntil("code: ", 300ms), std::vector<std::string>{});
}

TEST(CodeloadCommandLine, JournalIsRecordedOnlyWhenAsked) {
  struct Case {
    std::vector<std::string> args;
    bool journal;
  };
  const Case cases[] = {
      {{"carton", "X"}, false},
      {{"--yes", "carton", "X"}, false},
      {{"--journal", "carton", "X"}, true},
      {{"--port", "COM2=/dev/ttyUSB1", "leaflet", "--journal", "Y"}, true},
      // After "--" it is the code.
      {{"carton", "--", "--journal"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    codeload::Request request;
    std::string error;
    ASSERT_TRUE(Parse(c.args, request, error)) << error;
    EXPECT_EQ(request.journal, c.journal);
  }

  // The program itself reads it before --help, and lists it.
  const Outcome run = Codeload({"--journal", "--help"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "\n  --journal  ")) << run.out;
}

TEST(CodeloadCommandLine, HelpGivesEveryExitStatus) {
  const Outcome run = Codeload({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* part :
       {"0 code loaded",
        "1 download failed, or code refused (length, or a control byte 00-1F or 7F)",
        "2 usage error", "3 download not confirmed", "128+N  signal N",
        "129 SIGHUP, 130 SIGINT, 141 SIGPIPE, 143 SIGTERM"}) {
    EXPECT_TRUE(Contains(run.out, part)) << part;
  }
}

}  // namespace
