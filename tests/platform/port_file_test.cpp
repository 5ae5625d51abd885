// The station's ports file: its text read line by line (comments, blanks, CRLF, wrong lines and
// duplicates named with their line numbers), the file read from disk, the choice between the
// command line and the file, and the commented example the package installs.
#include "platform/serial/port_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/file_helpers.h"
#include "tests/support/run_unprivileged.h"

namespace {

using platform::PortFileEntry;

struct Expected {
  const char* name;
  const char* path;
  int line;
};

// Two paths stand for one device when written alike, or when both are "/dev/same*": the parser
// must ask, not compare the strings itself.
bool SameForTest(const std::string& a, const std::string& b) {
  return a == b || (a.starts_with("/dev/same") && b.starts_with("/dev/same"));
}

TEST(PortFile, ReadsMappingsAndNamesTheFirstWrongLine) {
  struct Case {
    const char* title;
    std::string text;
    std::vector<Expected> entries;  // when accepted
    std::string error;              // empty: accepted
  };
  const Case cases[] = {
      {"empty file", "", {}, ""},
      {"only comments and blanks",
       "# a comment\n\n   \n\t# indented comment\n#COM1=/dev/x\n",
       {},
       ""},
      {"one mapping without a final line end",
       "COM1=/dev/ttyUSB0",
       {{"COM1", "/dev/ttyUSB0", 1}},
       ""},
      {"lines counted across comments and blanks",
       "# station 7\n\nCOM2=/dev/ttyS1\n  COM1=/dev/serial/by-id/usb-FTDI-if00-port0  \n",
       {{"COM2", "/dev/ttyS1", 3}, {"COM1", "/dev/serial/by-id/usb-FTDI-if00-port0", 4}},
       ""},
      {"CRLF line ends",
       "# x\r\nCOM1=/dev/ttyUSB0\r\n\r\nCOM3=/dev/ttyUSB1\r\n",
       {{"COM1", "/dev/ttyUSB0", 2}, {"COM3", "/dev/ttyUSB1", 4}},
       ""},
      {"trailing comment after a blank, '#' inside a word kept",
       "COM1=/dev/ttyUSB0 # carton\nCOM2=/dev/a#b\t# leaflet\n",
       {{"COM1", "/dev/ttyUSB0", 1}, {"COM2", "/dev/a#b", 2}},
       ""},
      {"blanks around '=' and inside a path",
       "COM4 =\t/tmp/my port\n",
       {{"COM4", "/tmp/my port", 1}},
       ""},
      {"UTF-8 byte-order mark",
       "\xEF\xBB\xBF"
       "COM1=/dev/ttyS0\n",
       {{"COM1", "/dev/ttyS0", 1}},
       ""},
      {"COM name out of range",
       "# ports\nCOM1=/dev/ttyS0\nCOM5=/dev/ttyS4\n",
       {},
       "/etc/codepanel/ports:3: expected COMn=PATH with n 1-4, got 'COM5=/dev/ttyS4'"},
      {"no '='",
       "\n\nCOM1 /dev/ttyS0  # why\n",
       {},
       "/etc/codepanel/ports:3: expected COMn=PATH with n 1-4, got 'COM1 /dev/ttyS0'"},
      {"empty path",
       "COM2=\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'COM2='"},
      {"path that is only a comment",
       "COM2= # later\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'COM2='"},
      {"lower case name",
       "com1=/dev/ttyS0\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'com1=/dev/ttyS0'"},
      {"blank inside the name",
       "COM 1=/dev/ttyS0\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'COM 1=/dev/ttyS0'"},
      {"NUL and ESC shown as hex",
       std::string("COM1=/dev/tty") + '\0' + "S0\x1B\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'COM1=/dev/tty\\x00S0\\x1B'"},
      {"CR inside a line",
       "COM1=/dev/a\rCOM2=/dev/b\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'COM1=/dev/a\\x0DCOM2=/dev/b'"},
      {"one name twice",
       "COM1=/dev/ttyS0\n# the new adapter\nCOM1=/dev/ttyUSB0\n",
       {},
       "/etc/codepanel/ports:3: lines 1 and 3 map COM1 twice"},
      {"one name twice to one path",
       "COM2=/dev/x\nCOM2=/dev/x\n",
       {},
       "/etc/codepanel/ports:2: lines 1 and 2 map COM2 twice"},
      {"two names on one path",
       "COM3=/dev/ttyUSB0\nCOM1=/dev/ttyS0\nCOM4=/dev/ttyUSB0\n",
       {},
       "/etc/codepanel/ports:3: lines 1 and 3 map COM3 and COM4 to the same device"},
      {"two names on one device spelt differently",
       "COM1=/dev/same-a\n\nCOM2=/dev/same-b\n",
       {},
       "/etc/codepanel/ports:3: lines 1 and 3 map COM1 and COM2 to the same device"},
      {"the first wrong line is named",
       "COM9=/x\nCOM1=/a\nCOM1=/b\n",
       {},
       "/etc/codepanel/ports:1: expected COMn=PATH with n 1-4, got 'COM9=/x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::vector<PortFileEntry> entries;
    std::string error;
    const bool ok =
        platform::ParsePortFile(c.text, "/etc/codepanel/ports", SameForTest, entries, error);
    EXPECT_EQ(ok, c.error.empty()) << error;
    EXPECT_EQ(error, c.error);
    if (!ok)
      continue;
    ASSERT_EQ(entries.size(), c.entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].mapping.name, c.entries[i].name);
      EXPECT_EQ(entries[i].mapping.path, c.entries[i].path);
      EXPECT_EQ(entries[i].line, c.entries[i].line);
    }
  }
}

class PortFileOnDisk : public test_support::ConfigFolderTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = m_dir + "/" + name;
    test_support::WriteBytes(path, text);
    return path;
  }
};

TEST_F(PortFileOnDisk, CommandLineReplacesTheFileAndOnlyTheDefaultMayBeMissing) {
  const std::string good = Write("good", "COM2=/dev/ttyUSB0 # leaflet\n");
  const std::string bad = Write("bad", "COM7=/dev/ttyUSB0\n");
  const std::string missing = m_dir + "/missing";
  const std::vector<platform::PortMapping> none;
  const std::vector<platform::PortMapping> commandLine = {{"COM1", "/dev/pts/3"}};
  struct Case {
    const char* title;
    std::vector<platform::PortMapping> commandLine;
    std::string portsFile;
    std::string defaultFile;
    platform::PortSource source;
    std::string file;
    std::vector<Expected> entries;
    std::string error;  // empty: accepted
  };
  const Case cases[] = {
      {"the default file",
       none,
       "",
       good,
       platform::PortSource::PortsFile,
       good,
       {{"COM2", "/dev/ttyUSB0", 1}},
       ""},
      {"a named file",
       none,
       good,
       missing,
       platform::PortSource::PortsFile,
       good,
       {{"COM2", "/dev/ttyUSB0", 1}},
       ""},
      {"no default file: the defaults",
       none,
       "",
       missing,
       platform::PortSource::Default,
       missing,
       {},
       ""},
      {"a named file that is missing",
       none,
       missing,
       good,
       platform::PortSource::Default,
       missing,
       {},
       "cannot read " + missing + ": no such file or directory"},
      {"a folder",
       none,
       m_dir,
       good,
       platform::PortSource::Default,
       m_dir,
       {},
       "cannot read " + m_dir + ": is a directory"},
      {"a wrong default file",
       none,
       "",
       bad,
       platform::PortSource::PortsFile,
       bad,
       {},
       bad + ":1: expected COMn=PATH with n 1-4, got 'COM7=/dev/ttyUSB0'"},
      // The file is not even read, so a wrong one does not stop a run with its own ports.
      {"--port beside a wrong file",
       commandLine,
       bad,
       bad,
       platform::PortSource::CommandLine,
       bad,
       {{"COM1", "/dev/pts/3", 0}},
       ""},
      {"--port beside a missing named file",
       commandLine,
       missing,
       good,
       platform::PortSource::CommandLine,
       missing,
       {{"COM1", "/dev/pts/3", 0}},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    platform::PortChoice choice;
    std::string error;
    EXPECT_EQ(platform::ChoosePorts(c.commandLine, c.portsFile, c.defaultFile, choice, error),
              c.error.empty());
    EXPECT_EQ(error, c.error);
    if (!c.error.empty())
      continue;
    EXPECT_EQ(choice.source, c.source);
    EXPECT_EQ(choice.file, c.file);
    ASSERT_EQ(choice.entries.size(), c.entries.size());
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      EXPECT_EQ(choice.entries[i].mapping.name, c.entries[i].name);
      EXPECT_EQ(choice.entries[i].mapping.path, c.entries[i].path);
      EXPECT_EQ(choice.entries[i].line, c.entries[i].line);
    }
    const std::vector<platform::PortMapping> mappings = platform::Mappings(choice);
    ASSERT_EQ(mappings.size(), c.entries.size());
    for (std::size_t i = 0; i < c.entries.size(); ++i)
      EXPECT_EQ(mappings[i].path, c.entries[i].path);
  }
}

TEST_F(PortFileOnDisk, TwoNamesForOneDeviceThroughALink) {
  Write("ttyUSB0", "");
  ASSERT_EQ(::symlink((m_dir + "/ttyUSB0").c_str(), (m_dir + "/by-id").c_str()), 0);
  const std::string file =
      Write("ports", "COM1=" + m_dir + "/by-id\nCOM2=" + m_dir + "/./ttyUSB0\n");
  platform::PortChoice choice;
  std::string error;
  EXPECT_FALSE(platform::ChoosePorts({}, file, file, choice, error));
  EXPECT_EQ(error, file + ":2: lines 1 and 2 map COM1 and COM2 to the same device");
}

TEST_F(PortFileOnDisk, AFileTheAccountMayNotReadIsNamedWithItsCause) {
  const std::string file = Write("ports", "COM1=/dev/ttyUSB0\n");
  ASSERT_EQ(::chmod(m_dir.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0), 0);
  EXPECT_TRUE(test_support::RunUnprivileged([&] {
    platform::PortChoice choice;
    std::string error;
    return !platform::ChoosePorts({}, "", file, choice, error) &&
           error == "cannot read " + file + ": permission denied";
  }));
}

// The example the package installs as /etc/codepanel/ports changes nothing as shipped, and its
// example lines are right once uncommented.
TEST(PortFileExample, ChangesNothingAndItsExampleLinesAreRight) {
  const std::string text =
      test_support::ReadBytes(CODEPANEL_SOURCE_DIR "/packaging/etc/codepanel/ports");
  ASSERT_FALSE(text.empty());
  std::vector<PortFileEntry> entries;
  std::string error;
  EXPECT_TRUE(platform::ParsePortFile(text, "ports", SameForTest, entries, error)) << error;
  EXPECT_TRUE(entries.empty());

  std::string uncommented;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    if (line.starts_with("#COM"))
      line.erase(0, 1);
    uncommented += line + "\n";
    start = end == std::string::npos ? text.size() : end + 1;
  }
  entries.clear();
  ASSERT_TRUE(platform::ParsePortFile(uncommented, "ports", SameForTest, entries, error)) << error;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].mapping.name, "COM1");
  EXPECT_TRUE(entries[0].mapping.path.starts_with("/dev/serial/by-id/usb-FTDI_"))
      << entries[0].mapping.path;
  EXPECT_EQ(entries[1].mapping.name, "COM2");
}

}  // namespace
