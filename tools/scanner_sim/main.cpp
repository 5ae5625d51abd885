// scanner-sim: a code-reading scanner on a pseudo-terminal, for tests, demos and commissioning
// without a machine. One poll() loop serves the master, the client's closes, the replies falling
// due and the signals; replies wait in a queue with the time each is due, so a delayed or split
// reply never blocks the loop.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/cp1252.h"
#include "scanner/comm_log.h"
#include "tools/scanner_sim/pseudo_terminal.h"
#include "tools/scanner_sim/scanner_model.h"
#include "tools/scanner_sim/sim_options.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kSplitGap{100};
constexpr char kLeftInProgrammingMode[] =
    "download ended without its closing exchange: the scanner is left in programming mode";

// Written by the signal handler, polled by the loop: a signal then ends poll() without a race.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const int savedErrno = errno;
  const char byte = 0;
  [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
  errno = savedErrno;
}

bool InstallSignalHandlers(std::string& error) {
  if (pipe(g_signalPipe) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  for (const int fd : g_signalPipe) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(number, &action, nullptr);
  }
  // A reader that goes away must not kill the simulator before it removes its link.
  signal(SIGPIPE, SIG_IGN);
  return true;
}

void PrintLine(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// The bytes in the log's notation, for a UTF-8 terminal. RenderBytes stops at NUL, so a NUL
// received is named here.
std::string Render(std::string_view bytes) {
  std::string text;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t nul = std::min(bytes.find('\0', start), bytes.size());
    const std::string piece(bytes.substr(start, nul - start));
    text += RenderBytes(reinterpret_cast<const std::uint8_t*>(piece.c_str()));
    if (nul < bytes.size()) {
      text += kByteNames[0];
    }
    start = nul + 1;
  }
  return platform::Cp1252ToUtf8(text);
}

struct PendingWrite {
  Clock::time_point due;
  std::string bytes;
};

class Simulator {
 public:
  Simulator(scanner_sim::PseudoTerminal& terminal, const scanner_sim::SimOptions& options)
      : m_terminal(terminal),
        m_masterFd(terminal.MasterFd()),
        m_delay(options.delayMs),
        m_model(options.misbehaviour) {}

  // Serves the pseudo-terminal until a signal (true) or until it fails (false).
  bool Run() {
    for (;;) {
      pollfd fds[3] = {{m_masterFd, POLLIN, 0},
                       {g_signalPipe[0], POLLIN, 0},
                       {m_terminal.ClosesFd(), POLLIN, 0}};
      if (poll(fds, 3, PollTimeout()) < 0) {
        if (errno == EINTR) {
          continue;
        }
        return Fail("poll");
      }
      if (fds[1].revents != 0) {
        // Whoever stops the simulator once its client has ended reads everything that client
        // sent and whether it closed the line: nothing that came before the signal is left
        // unlogged.
        return ReadAll() && ServeCloses();
      }
      if (fds[0].revents & POLLIN) {
        if (!ReadAll()) {
          return false;
        }
      } else if (fds[0].revents != 0) {
        // Cannot happen while the slave is held open; stop rather than spin on it.
        errno = EIO;
        return Fail("pseudo-terminal hung up");
      }
      if ((fds[2].revents & POLLIN) && !ServeCloses()) {
        return false;
      }
      SendDue();
    }
  }

 private:
  int PollTimeout() const {
    if (m_writes.empty()) {
      return -1;
    }
    // Rounded up: waking early would spin on a zero time-out until the write is due.
    const auto wait = std::chrono::ceil<milliseconds>(m_writes.front().due - Clock::now());
    return static_cast<int>(std::clamp<milliseconds::rep>(wait.count(), 0, INT_MAX));
  }

  bool ServeCloses() {
    if (!m_terminal.TakeCloses()) {
      return true;
    }
    // What the client wrote before it closed may still be on its way to the master.
    if (!ReadAll()) {
      return false;
    }
    if (m_model.HangUp()) {
      PrintLine(kLeftInProgrammingMode);
    }
    return true;
  }

  // A read finds what a writer that has finished sent, even while the pseudo-terminal is still
  // passing it on: the kernel completes that before it answers EAGAIN.
  bool ReadAll() {
    char buffer[256];
    for (;;) {
      const ssize_t n = read(m_masterFd, buffer, sizeof buffer);
      if (n > 0) {
        Take(std::string_view(buffer, static_cast<std::size_t>(n)));
        continue;
      }
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return true;
      }
      if (n == 0) {
        errno = EIO;
      }
      return Fail("read");
    }
  }

  void Take(std::string_view received) {
    for (const scanner_sim::Frame& frame : m_model.Feed(received)) {
      if (frame.abandonedDownload) {
        PrintLine(kLeftInProgrammingMode);
      }
      const bool unknown = frame.kind == scanner_sim::FrameKind::kUnknown;
      PrintLine((unknown ? "RX unknown: " : "RX: ") + Render(frame.bytes));
      Schedule(frame.reply);
      SendDue();
      if (frame.downloaded) {
        PrintLine("code: " + Render(*frame.downloaded));
      }
    }
  }

  // A serial line sends one reply after another, so no write is due before the one queued last.
  void Schedule(const std::vector<std::string>& writes) {
    Clock::time_point due = Clock::now() + m_delay;
    if (!m_writes.empty()) {
      due = std::max(due, m_writes.back().due);
    }
    for (const std::string& bytes : writes) {
      m_writes.push_back({due, bytes});
      due += kSplitGap;
    }
  }

  void SendDue() {
    while (!m_writes.empty() && m_writes.front().due <= Clock::now()) {
      Send(m_writes.front().bytes);
      m_writes.pop_front();
    }
  }

  // A full receive queue on the client's side loses bytes, as a UART would: nobody is reading.
  void Send(const std::string& bytes) {
    ssize_t n = 0;
    do {
      n = write(m_masterFd, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    const std::size_t sent = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (sent > 0) {
      PrintLine("TX: " + Render(std::string_view(bytes).substr(0, sent)));
    }
    if (sent < bytes.size()) {
      const bool full = n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK;
      PrintLine("TX lost: " + Render(std::string_view(bytes).substr(sent)) + " (" +
                (full ? "receive queue full" : std::strerror(errno)) + ")");
    }
  }

  bool Fail(const char* what) {
    std::fprintf(stderr, "scanner-sim: %s: %s\n", what, std::strerror(errno));
    return false;
  }

  scanner_sim::PseudoTerminal& m_terminal;
  int m_masterFd;
  milliseconds m_delay;
  scanner_sim::ScannerModel m_model;
  std::deque<PendingWrite> m_writes;
};

}  // namespace

int main(int argc, char** argv) {
  scanner_sim::SimOptions options;
  std::string error;
  switch (scanner_sim::ParseOptions(argc, argv, options, error)) {
    case scanner_sim::ParseResult::kHelp:
      std::fputs(scanner_sim::kUsage, stdout);
      return 0;
    case scanner_sim::ParseResult::kBadUsage:
      std::fprintf(stderr, "scanner-sim: %s\n\n%s", error.c_str(), scanner_sim::kUsage);
      return 2;
    case scanner_sim::ParseResult::kRun:
      break;
  }

  scanner_sim::PseudoTerminal terminal;
  if (!terminal.Open(error) || !InstallSignalHandlers(error)) {
    std::fprintf(stderr, "scanner-sim: %s\n", error.c_str());
    return 1;
  }
  if (!options.linkPath.empty()) {
    switch (terminal.Link(options.linkPath, error)) {
      case scanner_sim::LinkResult::kMade:
        break;
      case scanner_sim::LinkResult::kPathTaken:
        std::fprintf(stderr, "scanner-sim: %s\n", error.c_str());
        return 2;
      case scanner_sim::LinkResult::kFailed:
        std::fprintf(stderr, "scanner-sim: %s\n", error.c_str());
        return 1;
    }
  }
  PrintLine(terminal.SlavePath());

  Simulator simulator(terminal, options);
  return simulator.Run() ? 0 : 1;
}
