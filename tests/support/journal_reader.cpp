#include "tests/support/journal_reader.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace test_support {

namespace {

constexpr char kJournalSocket[] = "/run/systemd/journal/socket";

bool OnPath(const std::string& program) {
  const char* path = ::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

// Standard output of a program run to its end; empty when it does not start.
std::string Output(std::vector<std::string> argv) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0)
    return {};
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (std::string& arg : argv)
    args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t child = -1;
  const int spawned = ::posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  std::string out;
  if (spawned == 0) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
      out.append(buffer, static_cast<std::size_t>(n));
    int status = 0;
    ::waitpid(child, &status, 0);
  }
  ::close(pipeEnds[0]);
  return out;
}

}  // namespace

std::string JournalAbsence() {
  struct stat socket {};
  if (::stat(kJournalSocket, &socket) != 0 || !S_ISSOCK(socket.st_mode))
    return std::string("no journal runs here (no ") + kJournalSocket + ")";
  // A socket that a stopped journal left behind refuses the connection.
  const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, kJournalSocket);
  const bool served =
      probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (probe >= 0)
    ::close(probe);
  if (!served)
    return std::string("no journal runs here (nobody serves ") + kJournalSocket + ")";
  if (!OnPath("journalctl"))
    return "no journalctl here to read the journal back";
  return {};
}

std::vector<std::string> ReadCodepanelEntries(const std::string& match,
                                              std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const std::string out =
        Output({"journalctl", "--no-pager", "-t", "codepanel", "-o", "json", match});
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < out.size()) {
      const std::size_t end = std::min(out.find('\n', start), out.size());
      if (end > start)
        entries.push_back(out.substr(start, end - start));
      start = end + 1;
    }
    if (!entries.empty() || std::chrono::steady_clock::now() >= deadline)
      return entries;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::string JsonMember(const std::string& name, const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    if (c == '"' || c == '\\')
      escaped += '\\';
    escaped += c;
  }
  return "\"" + name + "\":\"" + escaped + "\"";
}

}  // namespace test_support
