// codeload end to end: the real loader against the real scanner simulator on pseudo-terminals,
// both started here as child processes and always stopped and reaped here.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "tests/tools/child_process.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kSeparator(68, '-');
const std::string kCancelled = "La procedura di invio codice sar\u00E0 annullata!";
const std::string kNotCompleted = "Procedura di scaricamento codice NON completata !";
const std::string kCompleted = "Procedura di scaricamento codice terminata correttamente.";

using tools_test::Codeload;
using tools_test::Contains;
using tools_test::Outcome;
using tools_test::ScannerSim;
using tools_test::SplitLines;

// The log of a download that goes through, as the operator reads it: code holds each code
// character as it shows.
std::vector<std::string> SuccessLog(const std::string& startLine,
                                    const std::vector<std::string>& code) {
  constexpr std::string_view kPositionLetters = "DEFGHIJKLMNOPQRSTUVWXYZabcdefghi";
  std::vector<std::string> log = {kSeparator,           startLine,     "TX: <ESC>[C",
                                  "RX: <ESC>H<CR><LF>", "TX: <ESC>[B", "RX: <ESC>P<CR><LF>"};
  for (std::size_t i = 0; i < kPositionLetters.size(); ++i) {
    log.push_back("TX: <ESC>N" + std::string(1, kPositionLetters[i]) +
                  (i < code.size() ? code[i] : "<DEL>"));
  }
  log.push_back("TX: <ESC>NC" + std::string(1, static_cast<char>(0x20 + code.size())));
  log.insert(log.end(), {"TX: <ESC>IA<SPACE>", "RX: <ESC>K<CR><LF>", "TX: <ESC>[A",
                         "RX: <ESC>X<CR><LF>", kCompleted});
  return log;
}

// The frames of the exchange as one side logged them; swap turns them to the other side's view,
// so that the loader's and the simulator's accounts can be compared.
std::vector<std::string> Frames(const std::vector<std::string>& lines, bool swap) {
  std::vector<std::string> frames;
  for (const std::string& line : lines) {
    if (line.starts_with("TX: "))
      frames.push_back((swap ? "RX: " : "TX: ") + line.substr(4));
    if (line.starts_with("RX: "))
      frames.push_back((swap ? "TX: " : "RX: ") + line.substr(4));
  }
  return frames;
}

void ExpectSuccess(const std::string& kind, const std::string& port, const std::string& startLine,
                   const std::string& code, const std::vector<std::string>& shownCode) {
  SCOPED_TRACE(kind + " " + code);
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty()) << "the simulator gave no device path";

  const Outcome run = Codeload({"--port", port + "=" + sim.Path(), "--yes", kind, code});
  const std::vector<std::string> simLines = sim.LinesUntil("code: ", 3s);

  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> log = SplitLines(run.out);
  EXPECT_EQ(log.size(), 44u);
  EXPECT_EQ(log, SuccessLog(startLine, shownCode));
  // The operator sees the question, the confirmation given by --yes, and the success box.
  EXPECT_TRUE(Contains(run.err, "allo scanner ?")) << run.err;
  EXPECT_TRUE(Contains(run.err, "'" + code + "'")) << run.err;
  EXPECT_TRUE(Contains(run.err, kCompleted)) << run.err;
  // Every tick is paced: 48 ticks of 30 ms cannot take less, and must not take much more.
  EXPECT_GE(run.seconds, 1.40);
  EXPECT_LT(run.seconds, 3.0);

  ASSERT_FALSE(simLines.empty());
  EXPECT_EQ(simLines.back(), "code: " + code);
  EXPECT_EQ(Frames(simLines, true), Frames(log, false));
}

TEST(CodeloadEndToEnd, LoadsCartonCodeWithPoundSignOnCom1) {
  ExpectSuccess("carton", "COM1", "Invio codice controllo astuccio...", "AB\u00A3123",
                {"A", "B", "\u00A3", "1", "2", "3"});
}

TEST(CodeloadEndToEnd, LoadsLongestLeafletCodeOnCom2) {
  const std::string code = "LEAFLET-0123456789-abcdefghijkl";  // 31 characters
  std::vector<std::string> shown;
  for (const char c : code)
    shown.emplace_back(1, c);
  ExpectSuccess("leaflet", "COM2", "Invio codice controllo letteratura...", code, shown);
}

TEST(CodeloadEndToEnd, SilentScannerTimesOutAfterOneSecond) {
  ScannerSim sim({"--silent"});
  ASSERT_FALSE(sim.Path().empty());

  const Outcome run = Codeload({"--port", "COM1=" + sim.Path(), "--yes", "carton", "SILENT1"});

  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "Timeout risposta da scanner!\n" + kCancelled)) << run.err;
  const std::vector<std::string> log = SplitLines(run.out);
  ASSERT_EQ(log.size(), 5u) << run.out;
  EXPECT_EQ(log[2], "TX: <ESC>[C");
  EXPECT_EQ(log[3], "--> ERRORE: Timeout risposta da scanner!");
  EXPECT_EQ(log[4], kNotCompleted);
  EXPECT_GE(run.seconds, 1.0);
  EXPECT_LT(run.seconds, 2.5);
  // Only the opening command reached the scanner.
  const std::vector<std::string> simLines = sim.LinesUntil("code: ", 300ms);
  EXPECT_EQ(Frames(simLines, false), std::vector<std::string>{"RX: <ESC>[C"});
}

TEST(CodeloadEndToEnd, RefusalsSendNothing) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  const std::string com1 = "COM1=" + sim.Path();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string stderrText;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      // No terminal to ask on and no --yes: the question is shown and the answer is No.
      {{"--port", com1, "carton", "NOYES"},
       3,
       "Confermi invio codice di confronto astuccio 'NOYES' allo scanner ?",
       {}},
      {{"--port", com1, "--yes", "carton", std::string(32, 'X')},
       1,
       "Numero caratteri codice errato (richiesti [1..31]) !\n" + kCancelled,
       {}},
      {{"--port", com1, "--yes", "carton", ""},
       1,
       "Numero caratteri codice errato (richiesti [1..31]) !",
       {}},
      // U+4E2D has no Windows-1252 byte.
      {{"--port", com1, "--yes", "carton", "AB\u4E2D"}, 2, "Windows-1252", {}},
      {{"--port", com1, "--yes", "carton", "AB\xC3"}, 2, "Windows-1252", {}},
      {{"--port", com1, "--yes", "--colour", "carton", "X"}, 2, "unknown option '--colour'", {}},
      {{"--port", com1, "--yes", "box", "X"}, 2, "carton or leaflet", {}},
      {{"--port", com1, "--yes", "carton"}, 2, "missing CODE", {}},
      {{"--port", com1, "--yes"}, 2, "usage: codeload", {}},
      {{"--port", "COM5=" + sim.Path(), "--yes", "carton", "X"}, 2, "bad --port", {}},
      {{"--yes", "carton", "X", "--port"}, 2, "--port needs a value", {}},
      {{"--port", com1, "--yes", "carton", "X", "Y"}, 2, "one CODE only", {}},
      // The simulator is on COM1: COM2 is a device that does not exist.
      {{"--port", com1, "--port", "COM2=/nonexistent/codeload-e2e", "--yes", "leaflet", "X"},
       1,
       "Impossibile aprire dispositivo di comunicazione seriale!\n" + kCancelled,
       {kSeparator, "Invio codice controllo letteratura...",
        "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!", kNotCompleted}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Outcome run = Codeload(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_TRUE(Contains(run.err, c.stderrText)) << run.err;
    EXPECT_EQ(SplitLines(run.out), c.log);
  }
  // Nothing reached the scanner.
  EXPECT_EQ(sim.LinesUntil("code: ", 300ms), std::vector<std::string>{});
}

// A pseudo-terminal for the loader's standard input, with the operator's answer already typed.
class TypedAnswer {
 public:
  explicit TypedAnswer(const std::string& answer) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
      return;
    m_slave = open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave >= 0 && write(m_master, answer.data(), answer.size()) < 0) {
      close(m_slave);
      m_slave = -1;
    }
  }
  ~TypedAnswer() {
    if (m_slave >= 0)
      close(m_slave);
    if (m_master >= 0)
      close(m_master);
  }
  int Terminal() const { return m_slave; }

 private:
  int m_master = -1;
  int m_slave = -1;
};

TEST(CodeloadEndToEnd, AsksOnTheTerminalWithNoAsDefault) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  const std::string com1 = "COM1=" + sim.Path();
  for (const char* refusal : {"\n", "n\n", "no\n", "x\n"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(refusal)));
    TypedAnswer answer(refusal);
    ASSERT_GE(answer.Terminal(), 0);
    const Outcome run = Codeload({"--port", com1, "carton", "ASKED"}, answer.Terminal());
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_TRUE(Contains(run.err, "'ASKED' allo scanner ?\n[s/N] ")) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(sim.LinesUntil("code: ", 300ms), std::vector<std::string>{});

  TypedAnswer yes("s\n");
  ASSERT_GE(yes.Terminal(), 0);
  const Outcome run = Codeload({"--port", com1, "carton", "ASKED"}, yes.Terminal());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SplitLines(run.out).size(), 44u);
  const std::vector<std::string> simLines = sim.LinesUntil("code: ", 3s);
  ASSERT_FALSE(simLines.empty());
  EXPECT_EQ(simLines.back(), "code: ASKED");
}

TEST(CodeloadEndToEnd, HelpExplainsUsageAndExitStatus) {
  const Outcome run = Codeload({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* part : {"carton", "leaflet", "COM1", "COM2", "--port COMn=PATH", "--yes",
                           "Windows-1252", "0 code loaded", "3 download not confirmed"}) {
    EXPECT_TRUE(Contains(run.out, part)) << part;
  }
}

// A program that holds the port already (sleep, on the slave of a pseudo-terminal whose master
// stays here) and a device that is not there: nothing is sent, the usual box and log lines come,
// and the line before the box names the device and the cause.
TEST(CodeloadEndToEnd, SaysWhichDeviceItUsesAndWhyItCannotOpenIt) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  const int held = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, held, STDIN_FILENO);
  char sleep[] = "sleep";
  char seconds[] = "30";
  char* argv[] = {sleep, seconds, nullptr};
  pid_t holder = -1;
  const int spawned = posix_spawn(&holder, "/bin/sleep", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(held);
  ASSERT_EQ(spawned, 0);

  const std::string kBox = "Impossibile aprire dispositivo di comunicazione seriale!";
  Outcome run = Codeload({"--port", "COM1=" + slave, "--yes", "carton", "HELD"});
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(master);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(SplitLines(run.out),
            (std::vector<std::string>{kSeparator, "Invio codice controllo astuccio...",
                                      "--> ERRORE: " + kBox, kNotCompleted}));
  // The device is named before the question, the holder right before the box.
  EXPECT_TRUE(Contains(run.err, "codeload: COM1 is " + slave + "\nConfermi invio")) << run.err;
  EXPECT_TRUE(Contains(run.err, "codeload: cannot open COM1 (" + slave + "): in use by pid " +
                                    std::to_string(holder) + " (sleep)\n" + kBox))
      << run.err;

  run = Codeload({"--port", "COM2=/nonexistent/codeload-e2e", "--yes", "leaflet", "GONE"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(SplitLines(run.out).size(), 4u) << run.out;
  EXPECT_TRUE(Contains(run.err, "codeload: COM2 is /nonexistent/codeload-e2e\n")) << run.err;
  EXPECT_TRUE(Contains(
      run.err, "codeload: cannot open COM2 (/nonexistent/codeload-e2e): not found\n" + kBox))
      << run.err;
}

}  // namespace
