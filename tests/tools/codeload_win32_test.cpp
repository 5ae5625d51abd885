// codeload's Windows parts that need no COM port: the help text tells the Windows defaults and
// interruptions, never the POSIX ones.
#include <gtest/gtest.h>

#include <string>

#include "platform/port_file.h"
#include "tools/codeload/command_line.h"

namespace {

TEST(CodeloadWindows, HelpTellsTheWindowsDefaultsAndInterruptions) {
  const std::string help = codeload::HelpText();
  for (const char* part :
       {"usage: codeload", "--port COMn=NAME", R"(\\.\COM7)",
        "denote\n                    themselves: COM1..COM4", "Ctrl-C and Ctrl-Break wait",
        "130 Ctrl-C", "149 Ctrl-Break", "0 code loaded", "1 download failed", "2 usage error",
        "3 download not confirmed", "Windows keeps no system journal", "\u00A3"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
  for (const char* posixOnly : {"/dev/ttyS", "SIGHUP", "SIGPIPE", "/etc/codepanel"})
    EXPECT_EQ(help.find(posixOnly), std::string::npos) << posixOnly;
  // The station's ports file is only read when one is built in or named.
  const std::string noFile = "without it no ports file is read";
  EXPECT_EQ(help.find(noFile) != std::string::npos,
            std::string(platform::kDefaultPortsFile).empty());
  // Lines of the terminal's width, as the POSIX text keeps them.
  std::size_t start = 0;
  while (start < help.size()) {
    const std::size_t end = help.find('\n', start);
    const std::size_t length = (end == std::string::npos ? help.size() : end) - start;
    EXPECT_LE(length, 92u) << help.substr(start, length);
    start = end == std::string::npos ? help.size() : end + 1;
  }
}

}  // namespace
