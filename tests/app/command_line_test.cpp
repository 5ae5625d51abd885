#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/file_helpers.h"

namespace {

struct Parsed {
  bool ok = false;
  std::string error;
  CommandLine line;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "codepanel");
  Parsed parsed;
  parsed.ok =
      ParseCommandLine(static_cast<int>(args.size()), args.data(), parsed.line, parsed.error);
  return parsed;
}

TEST(CommandLine, OwnOptionsAreReadAndQtOptionsAreSteppedOverWithTheirValues) {
  struct Case {
    std::vector<const char*> args;
    bool noPowerOff;
    std::size_t ports;
  };
  const Case cases[] = {
      {{}, false, 0},
      {{"--no-power-off"}, true, 0},
      {{"--port", "COM1=/dev/pts/3", "--port=COM2=/dev/ttyUSB0"}, false, 2},
      // Qt's values are never read as ours, nor as stray arguments.
      {{"-platform", "offscreen", "--no-power-off"}, true, 0},
      {{"--platform", "offscreen:fontengine=freetype", "-style", "fusion"}, false, 0},
      {{"-style=fusion", "--stylesheet=panel.qss", "-reverse", "-widgetcount"}, false, 0},
      {{"-display", ":1", "-geometry", "640x480+0+0", "-qwindowgeometry", "800x600"}, false, 0},
      {{"-qwindowtitle", "panel", "-qwindowicon", "x.png", "-platformtheme", "gtk3"}, false, 0},
      {{"-platformpluginpath", "/opt/qt", "-plugin", "evdevtouch", "-session", "s1"}, false, 0},
      {{"-qmljsdebugger=port:1234", "--port", "COM4=/dev/ttyS9", "--no-power-off"}, true, 1},
  };
  for (const Case& c : cases) {
    const Parsed parsed = Parse(c.args);
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front());
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_FALSE(parsed.line.help);
    EXPECT_EQ(parsed.line.options.noPowerOff, c.noPowerOff);
    EXPECT_EQ(parsed.line.options.ports.size(), c.ports);
  }

  const Parsed ports = Parse({"--port", "COM1=/dev/pts/3", "--port=COM2=/dev/ttyUSB0"});
  ASSERT_EQ(ports.line.options.ports.size(), 2u);
  EXPECT_EQ(ports.line.options.ports[1].name, "COM2");
  EXPECT_EQ(ports.line.options.ports[1].path, "/dev/ttyUSB0");

  for (const auto& args : std::vector<std::vector<const char*>>{
           {"--help"}, {"-h"}, {"-platform", "offscreen", "--help"}, {"--help", "--bogus"}}) {
    const Parsed parsed = Parse(args);
    EXPECT_TRUE(parsed.ok && parsed.line.help) << args.front();
  }
  EXPECT_TRUE(Parse({"--exit-after-first-frame"}).line.exitAfterFirstFrame);

  struct PortsFileCase {
    std::vector<const char*> args;
    const char* portsFile;
  };
  const PortsFileCase portsFiles[] = {
      {{}, ""},
      {{"--ports-file", "/srv/ports", "--no-power-off"}, "/srv/ports"},
      {{"-platform", "offscreen", "--ports-file=/srv/p"}, "/srv/p"},
  };
  for (const PortsFileCase& c : portsFiles) {
    const Parsed parsed = Parse(c.args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.line.portsFile, c.portsFile);
  }
}

TEST(CommandLine, UsageErrorsNameTheArgument) {
  struct Case {
    std::vector<const char*> args;
    std::string error;
  };
  const Case cases[] = {
      {{"--x"}, "unknown option '--x'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--"}, "unknown option '--'"},
      {{"-stylefusion"}, "unknown option '-stylefusion'"},
      {{"foo"}, "unexpected argument 'foo'"},
      {{"--no-power-off", "-"}, "unexpected argument '-'"},
      {{"-platform", "offscreen", "offscreen"}, "unexpected argument 'offscreen'"},
      {{"--port", "COM5=/dev/x"}, "bad --port value 'COM5=/dev/x': expected COMn=PATH with n 1..4"},
      {{"--port=COM1="}, "bad --port value 'COM1=': expected COMn=PATH with n 1..4"},
      {{"--port"}, "option '--port' needs a value COMn=PATH"},
      {{"--ports-file"}, "option '--ports-file' needs a PATH"},
      {{"--ports-file="}, "option '--ports-file' needs a PATH"},
      {{"-platform"}, "option '-platform' needs a value"},
      // Qt would take the next option as the style's name and the panel would power off for real.
      {{"-style", "--no-power-off"}, "option '-style' needs a value"},
  };
  for (const Case& c : cases) {
    const Parsed parsed = Parse(c.args);
    EXPECT_FALSE(parsed.ok) << c.args.front();
    EXPECT_EQ(parsed.error, c.error);
  }
}

class CommandLinePorts : public test_support::ConfigFolderTest {};

TEST_F(CommandLinePorts, PortsComeFromTheFileUnlessThePortOptionIsGiven) {
  const std::string file = m_dir + "/ports";
  const std::string bad = m_dir + "/bad";
  const std::string missing = m_dir + "/missing";
  test_support::WriteBytes(file, "COM2=/dev/ttyUSB0\n# spare\nCOM1 = /dev/ttyUSB1\n");
  test_support::WriteBytes(bad, "\nCOM2:/dev/ttyUSB0\n");
  using Ports = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    std::vector<const char*> args;
    std::string defaultFile;
    Ports ports;
    std::string error;  // empty: accepted
  };
  const Case cases[] = {
      {{}, file, {{"COM2", "/dev/ttyUSB0"}, {"COM1", "/dev/ttyUSB1"}}, ""},
      {{"--port", "COM3=/dev/pts/1"}, file, {{"COM3", "/dev/pts/1"}}, ""},
      {{"--port", "COM3=/dev/pts/1"}, bad, {{"COM3", "/dev/pts/1"}}, ""},
      {{"--ports-file", file.c_str()},
       missing,
       {{"COM2", "/dev/ttyUSB0"}, {"COM1", "/dev/ttyUSB1"}},
       ""},
      {{}, missing, {}, ""},
      {{}, bad, {}, bad + ":2: expected COMn=PATH with n 1-4, got 'COM2:/dev/ttyUSB0'"},
      {{"--ports-file", missing.c_str()},
       file,
       {},
       "cannot read " + missing + ": no such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args) + " " + c.defaultFile);
    Parsed parsed = Parse(c.args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    std::string error;
    EXPECT_EQ(ReadPortsFile(parsed.line, c.defaultFile, error), c.error.empty());
    EXPECT_EQ(error, c.error);
    if (!c.error.empty())
      continue;
    Ports ports;
    for (const platform::PortMapping& port : parsed.line.options.ports)
      ports.emplace_back(port.name, port.path);
    EXPECT_EQ(ports, c.ports);
  }
}

TEST(CommandLine, JournalIsRecordedOnlyWhenAskedAndListedInTheHelp) {
  struct Case {
    std::vector<const char*> args;
    bool journal;
  };
  const Case cases[] = {
      {{}, false},
      {{"--no-power-off"}, false},
      {{"--journal"}, true},
      {{"-platform", "offscreen", "--journal", "--port", "COM1=/dev/ttyUSB0"}, true},
  };
  for (const Case& c : cases) {
    const Parsed parsed = Parse(c.args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.line.options.journal, c.journal) << c.args.size();
  }
  // A Qt option's value is Qt's, even one spelt like ours.
  EXPECT_FALSE(Parse({"-style", "--journal"}).ok);
  EXPECT_NE(std::string(HelpText()).find("\n  --journal  "), std::string::npos) << HelpText();
}

TEST(CommandLine, FitScreenIsForTheKioskOnlyAndListedInTheHelp) {
  EXPECT_FALSE(Parse({}).line.fitScreen);
  EXPECT_FALSE(Parse({"--journal", "--no-power-off"}).line.fitScreen);
  const Parsed kiosk = Parse({"--journal", "--fit-screen", "-platform", "wayland"});
  ASSERT_TRUE(kiosk.ok) << kiosk.error;
  EXPECT_TRUE(kiosk.line.fitScreen);
  EXPECT_TRUE(kiosk.line.options.journal);
  EXPECT_FALSE(Parse({"--fit-screen=yes"}).ok);
  EXPECT_NE(std::string(HelpText()).find("\n  --fit-screen  "), std::string::npos) << HelpText();
  EXPECT_NE(Usage().find(" [--fit-screen] "), std::string::npos);
}

}  // namespace
