#include "tests/tools/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace tools_test {

using namespace std::chrono_literals;

const char* const kCodeloadBinary = CODELOAD_BINARY;
const char* const kScannerSimBinary = SCANNER_SIM_BINARY;

namespace {

bool Fill(int fd, std::string& buffer, Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  pollfd pfd{fd, POLLIN, 0};
  if (left <= 0ms || poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
    return false;
  char chunk[4096];
  const ssize_t n = read(fd, chunk, sizeof chunk);
  if (n <= 0)
    return false;
  buffer.append(chunk, static_cast<std::size_t>(n));
  return true;
}

void Drain(const pollfd& pfd, int& fd, std::string& buffer) {
  if (fd < 0 || (pfd.revents & (POLLIN | POLLHUP | POLLERR)) == 0)
    return;
  char chunk[4096];
  const ssize_t n = read(fd, chunk, sizeof chunk);
  if (n > 0) {
    buffer.append(chunk, static_cast<std::size_t>(n));
  } else {
    close(fd);
    fd = -1;
  }
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

Child::Child(const std::vector<std::string>& argv, bool captureStderr, int input) {
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0)
    return;
  if (captureStderr && pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0) {
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (captureStderr)
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0)
    m_pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  m_out = out[0];
  if (captureStderr) {
    close(err[1]);
    m_err = err[0];
  }
}

Child::~Child() {
  if (m_pid > 0 && !m_bReaped) {
    kill(m_pid, SIGTERM);
    if (!WaitFor(2s)) {
      kill(m_pid, SIGKILL);
      WaitFor(5s);
    }
  }
  if (m_out >= 0)
    close(m_out);
  if (m_err >= 0)
    close(m_err);
}

bool Child::Signal(int number) {
  return m_pid > 0 && !m_bReaped && kill(m_pid, number) == 0;
}

void Child::CloseOutput() {
  if (m_out >= 0)
    close(m_out);
  m_out = -1;
  m_outBuffer.clear();
}

bool Child::ReadLine(std::string& line, Clock::time_point deadline) {
  for (;;) {
    const std::size_t end = m_outBuffer.find('\n');
    if (end != std::string::npos) {
      line = m_outBuffer.substr(0, end);
      m_outBuffer.erase(0, end + 1);
      return true;
    }
    if (m_out < 0 || !Fill(m_out, m_outBuffer, deadline))
      return false;
  }
}

void Child::ReadToEnd(std::string& out, std::string& err, Clock::time_point deadline) {
  while (m_out >= 0 || m_err >= 0) {
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= 0ms || poll(fds, 2, static_cast<int>(left.count())) <= 0) {
      ADD_FAILURE() << "child still running at the deadline";
      kill(m_pid, SIGKILL);
      break;
    }
    Drain(fds[0], m_out, m_outBuffer);
    Drain(fds[1], m_err, m_errBuffer);
  }
  out = std::move(m_outBuffer);
  err = std::move(m_errBuffer);
}

int Child::Reap() {
  int status = 0;
  if (m_pid <= 0 || waitpid(m_pid, &status, 0) != m_pid)
    return -1;
  m_bReaped = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// True once the child is reaped within the time given.
bool Child::WaitFor(std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    int status = 0;
    const pid_t done = waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid || done < 0) {
      m_bReaped = true;
      return true;
    }
    usleep(5000);
  }
  return false;
}

namespace {

std::vector<std::string> WithSimulator(std::vector<std::string> options) {
  options.insert(options.begin(), kScannerSimBinary);
  return options;
}

}  // namespace

ScannerSim::ScannerSim(std::vector<std::string> options)
    : m_child(WithSimulator(std::move(options)), false) {
  if (!m_child.Started() || !m_child.ReadLine(m_path, Clock::now() + 5s))
    m_path.clear();
}

std::vector<std::string> ScannerSim::LinesUntil(std::string_view prefix,
                                                std::chrono::milliseconds limit) {
  std::vector<std::string> lines;
  const auto deadline = Clock::now() + limit;
  std::string line;
  while (m_child.ReadLine(line, deadline)) {
    lines.push_back(line);
    if (line.starts_with(prefix))
      break;
  }
  return lines;
}

Outcome RunToEnd(const std::vector<std::string>& argv, int input, std::chrono::seconds limit) {
  const auto start = Clock::now();
  Child child(argv, true, input);
  Outcome run;
  if (!child.Started()) {
    ADD_FAILURE() << argv[0] << " did not start";
    return run;
  }
  child.ReadToEnd(run.out, run.err, start + limit);
  run.status = child.Reap();
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return run;
}

Outcome Codeload(std::vector<std::string> args, int input) {
  args.insert(args.begin(), kCodeloadBinary);
  return RunToEnd(args, input);
}

}  // namespace tools_test
