// SignalGuard: keeps SIGINT, SIGTERM, SIGHUP and SIGPIPE from cutting an exchange with the scanner
// short, so that a scanner never stays between its opening and its closing exchange.
//
// While a guard lives, each of the four is caught by a handler that only records the first one to
// come. Nothing is blocked: pauses and blocking writes go on as before, and a write to a closed
// pipe fails with EPIPE instead of ending the process. SA_RESTART lets the kernel restart the
// reads and writes a signal interrupts; what it cannot restart retries on EINTR. The destructor
// puts back the dispositions that were there before. One guard at a time. That is POSIX
// (signal_guard_posix.cpp); on Windows (signal_guard_win32.cpp) a console control handler records
// Ctrl-C, Ctrl-Break and the console's closing under the numbers of SIGINT, SIGBREAK and SIGTERM.
//
//   SignalGuard / ~SignalGuard   installs the recording handlers / restores the previous ones
//   Received                     the first of the four caught so far, 0 when none
//   SignalName                   "SIGINT", "SIGTERM", "SIGHUP", "SIGPIPE"; on Windows "Ctrl-C",
//                                "Ctrl-Break", "closing of the console"
#pragma once

namespace codeload {

class SignalGuard {
 public:
  SignalGuard();
  ~SignalGuard();
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

  int Received() const;
};

// The name of one of the four held signals, "a signal" for any other.
const char* SignalName(int number);

}  // namespace codeload
