// codeload under real signals, against the simulator on a pseudo-terminal: an interrupt that
// comes in the middle of a download lets the exchange with the scanner run to its end, and only
// then does the loader exit, with 128 + the signal's number.
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/tools/child_process.h"

namespace {

using namespace std::chrono_literals;
using tools_test::Child;
using tools_test::Clock;
using tools_test::Contains;
using tools_test::ScannerSim;
using tools_test::SplitLines;

const std::string kCompleted = "Procedura di scaricamento codice terminata correttamente.";
const std::string kFirstCodeLine = "TX: <ESC>ND";
const std::string kLeftOpen =
    "download ended without its closing exchange: the scanner is left in programming mode";

struct Interrupted {
  int status = -1;
  std::vector<std::string> log;  // all of codeload's standard output that the test read
  std::string err;
  std::vector<std::string> simLines;
};

// What the test does to the loader; it may read lines of the log, which it adds to log.
using Interrupt = std::function<void(Child& codeload, std::vector<std::string>& log)>;

// Starts a download of code, waits until the first code position has gone out, does what
// interrupt says to the loader, and collects what both sides printed until the simulator
// prints a line that begins with simUntil.
Interrupted InterruptDownload(const std::string& code, const Interrupt& interrupt,
                              const std::string& simUntil = "code: ") {
  Interrupted run;
  ScannerSim sim;
  if (sim.Path().empty()) {
    ADD_FAILURE() << "the simulator gave no device path";
    return run;
  }
  Child codeload(
      {tools_test::kCodeloadBinary, "--port", "COM1=" + sim.Path(), "--yes", "carton", code}, true);
  if (!codeload.Started()) {
    ADD_FAILURE() << "codeload did not start";
    return run;
  }
  const auto deadline = Clock::now() + 5s;
  std::string line;
  while (codeload.ReadLine(line, deadline)) {
    run.log.push_back(line);
    if (line.starts_with(kFirstCodeLine))
      break;
  }
  EXPECT_TRUE(!run.log.empty() && run.log.back().starts_with(kFirstCodeLine));
  interrupt(codeload, run.log);
  std::string out;
  codeload.ReadToEnd(out, run.err, Clock::now() + 15s);
  run.status = codeload.Reap();
  for (std::string& rest : SplitLines(out))
    run.log.push_back(std::move(rest));
  run.simLines = sim.LinesUntil(simUntil, 3s);
  return run;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

// The simulator took the closing exchange and holds the code, and never saw the scanner left
// in programming mode.
void ExpectClosedAndHeld(const std::vector<std::string>& simLines, const std::string& code) {
  EXPECT_TRUE(Has(simLines, "RX: <ESC>IA<SPACE>"));
  EXPECT_TRUE(Has(simLines, "RX: <ESC>[A"));
  EXPECT_FALSE(Has(simLines, kLeftOpen));
  ASSERT_FALSE(simLines.empty());
  EXPECT_EQ(simLines.back(), "code: " + code);
}

TEST(CodeloadSignals, AnInterruptWaitsForTheClosingExchange) {
  struct Case {
    const char* name;
    std::vector<int> signals;  // sent one after the other
    int status;
    const char* notice;
  };
  const Case cases[] = {
      {"SIGINT", {SIGINT}, 128 + SIGINT, "codeload: SIGINT received"},
      {"SIGTERM", {SIGTERM}, 128 + SIGTERM, "codeload: SIGTERM received"},
      {"SIGHUP", {SIGHUP}, 128 + SIGHUP, "codeload: SIGHUP received"},
      // The first signal sets the status; the notice comes once however many follow.
      {"SIGTERM then SIGINT twice",
       {SIGTERM, SIGINT, SIGINT},
       128 + SIGTERM,
       "codeload: SIGTERM received"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string code = std::string("SIG") + c.name[3];
    const Interrupted run = InterruptDownload(code, [&](Child& codeload, auto& log) {
      for (std::size_t i = 0; i < c.signals.size(); ++i) {
        // Signals pending together arrive lowest number first: the loader writing a line in
        // between shows that it has had the one before.
        std::string line;
        if (i > 0 && codeload.ReadLine(line, Clock::now() + 2s))
          log.push_back(line);
        EXPECT_TRUE(codeload.Signal(c.signals[i]));
      }
    });
    EXPECT_EQ(run.status, c.status) << run.err;
    // The whole log, ending as a download that went through ends.
    EXPECT_EQ(run.log.size(), 44u);
    ASSERT_FALSE(run.log.empty());
    EXPECT_EQ(run.log.back(), kCompleted);
    EXPECT_EQ(
        Count(run.err, std::string(c.notice) + "; finishing the exchange with the scanner first\n"),
        1u)
        << run.err;
    EXPECT_EQ(Count(run.err, "received;"), 1u) << run.err;
    // The success box still comes, after the notice.
    EXPECT_GT(run.err.rfind(kCompleted), run.err.find(c.notice)) << run.err;
    ExpectClosedAndHeld(run.simLines, code);
  }
}

TEST(CodeloadSignals, AClosedStandardOutputStopsNoDownload) {
  const Interrupted run =
      InterruptDownload("PIPE", [](Child& codeload, auto&) { codeload.CloseOutput(); });
  EXPECT_EQ(run.status, 128 + SIGPIPE) << run.err;
  EXPECT_TRUE(Contains(run.err, "codeload: SIGPIPE received; finishing the exchange")) << run.err;
  EXPECT_TRUE(Contains(run.err, kCompleted)) << run.err;
  ExpectClosedAndHeld(run.simLines, "PIPE");
}

// What the simulator shows when a loader dies for good in the middle of a download.
TEST(CodeloadSignals, SimulatorSaysWhenAKilledLoaderLeftItInProgrammingMode) {
  const Interrupted run = InterruptDownload(
      "KILLED", [](Child& codeload, auto&) { EXPECT_TRUE(codeload.Signal(SIGKILL)); }, kLeftOpen);
  EXPECT_EQ(run.status, -1);
  ASSERT_FALSE(run.simLines.empty());
  EXPECT_EQ(run.simLines.back(), kLeftOpen);
  EXPECT_FALSE(Has(run.simLines, "RX: <ESC>[A"));
}

}  // namespace
