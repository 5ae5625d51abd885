// Child processes for the tools' end-to-end tests: the real codeload and scanner-sim, started here
// from their build paths and always stopped and reaped here.
//
//   Child        one process with its standard output (and standard error) on pipes
//   ScannerSim   a scanner simulator on its pseudo-terminal, with the lines it prints
//   RunToEnd     runs a program to its end and collects its exit status and output
//   Codeload     RunToEnd for codeload
//   SplitLines / Contains   text helpers for what the children print
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tools_test {

using Clock = std::chrono::steady_clock;

extern const char* const kCodeloadBinary;
extern const char* const kScannerSimBinary;

std::vector<std::string> SplitLines(const std::string& text);
bool Contains(const std::string& text, std::string_view part);

// A child process with standard input from the descriptor given (/dev/null when none) and standard
// output (and, when asked, standard error) on pipes. The destructor ends and reaps it if it still
// runs.
class Child {
 public:
  Child(const std::vector<std::string>& argv, bool captureStderr, int input = -1);
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  bool Started() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }

  // Sends a signal to the child, unless it has been reaped already.
  bool Signal(int number);
  // Closes the test's read end of the child's standard output, as a reader that goes away would.
  void CloseOutput();

  // The next line of standard output, waiting until the deadline; false at its end or on time.
  bool ReadLine(std::string& line, Clock::time_point deadline);
  // Reads both streams to their end, then reaps; kills the child if it outlives the deadline.
  void ReadToEnd(std::string& out, std::string& err, Clock::time_point deadline);
  // The exit status, or -1 when the child did not exit normally.
  int Reap();

 private:
  bool WaitFor(std::chrono::milliseconds limit);

  pid_t m_pid = -1;
  bool m_bReaped = false;
  int m_out = -1;
  int m_err = -1;
  std::string m_outBuffer;
  std::string m_errBuffer;
};

// One scanner simulator on its pseudo-terminal; its standard error stays the test's.
class ScannerSim {
 public:
  explicit ScannerSim(std::vector<std::string> options = {});

  // The pseudo-terminal's path, empty when the simulator did not start.
  const std::string& Path() const { return m_path; }

  // The lines printed until one begins with prefix (that one included) or the time runs out.
  std::vector<std::string> LinesUntil(std::string_view prefix, std::chrono::milliseconds limit);
  pid_t Pid() const { return m_child.Pid(); }
  // Sends a signal to the simulator, unless it has been reaped already.
  bool Signal(int number) { return m_child.Signal(number); }
  // Waits for the simulator's end; its exit status, or -1 when it did not exit normally.
  int Reap() { return m_child.Reap(); }

 private:
  Child m_child;
  std::string m_path;
};

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  double seconds = 0;
};

// argv[0] is the program's path. Fails the test if it does not start or end within the limit.
Outcome RunToEnd(const std::vector<std::string>& argv, int input = -1,
                 std::chrono::seconds limit = std::chrono::seconds(15));
Outcome Codeload(std::vector<std::string> args, int input = -1);

}  // namespace tools_test
