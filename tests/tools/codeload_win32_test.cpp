// codeload's Windows parts that need no COM port: the help text tells the Windows defaults and
// interruptions, never the POSIX ones; standard output and error write bytes as they are; the
// console control handler records Ctrl-C and Ctrl-Break while a guard lives, and only then.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/serial/port_file.h"
#include "tools/codeload/command_line.h"
#include "tools/codeload/descriptor_output.h"
#include "tools/codeload/signal_guard.h"

namespace {

TEST(CodeloadWindows, HelpTellsTheWindowsDefaultsAndInterruptions) {
  const std::string help = codeload::HelpText();
  for (const char* part :
       {"usage: codeload", "--port COMn=NAME", R"(\\.\COM7)",
        "denote\n                    themselves: COM1..COM4", "Ctrl-C and Ctrl-Break wait",
        "130 Ctrl-C", "149 Ctrl-Break", "0 code loaded", "1 download failed", "2 usage error",
        "3 download not confirmed", "Application event log", "\u00A3"}) {
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

TEST(CodeloadWindows, StandardOutputAndErrorKeepEachLineFeedAsItIs) {
  codeload::PrepareStandardOutput();
  // _setmode answers with the mode it replaces: binary, so no LF becomes CR LF.
  EXPECT_EQ(_setmode(_fileno(stdout), _O_BINARY), _O_BINARY);
  EXPECT_EQ(_setmode(_fileno(stderr), _O_BINARY), _O_BINARY);
}

// Waits up to a second for the handler thread the system runs the event on.
int ReceivedAfter(const codeload::SignalGuard& guard, DWORD event) {
  if (!GenerateConsoleCtrlEvent(event, 0))
    return -1;
  for (int i = 0; i < 100 && guard.Received() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return guard.Received();
}

TEST(CodeloadWindows, GuardRecordsTheFirstConsoleInterruption) {
  if (GetConsoleWindow() == nullptr && !AllocConsole())
    GTEST_SKIP() << "no console to send Ctrl-C to here";
  {
    const codeload::SignalGuard guard;
    EXPECT_EQ(guard.Received(), 0);
    EXPECT_EQ(ReceivedAfter(guard, CTRL_C_EVENT), SIGINT);
    EXPECT_STREQ(codeload::SignalName(guard.Received()), "Ctrl-C");
    // A later one does not replace the first.
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(guard.Received(), SIGINT);
  }
  {
    // A new guard starts with none.
    const codeload::SignalGuard guard;
    EXPECT_EQ(guard.Received(), 0);
  }
  EXPECT_STREQ(codeload::SignalName(SIGINT), "Ctrl-C");
  EXPECT_STREQ(codeload::SignalName(SIGTERM), "closing of the console");
  EXPECT_STREQ(codeload::SignalName(SIGSEGV), "a signal");
}

}  // namespace
