#include "tools/scanner_sim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace scanner_sim {

namespace {

std::string Failure(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// The target of the symbolic link at path, or an empty text when it is not one.
std::string LinkTarget(const std::string& path) {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
    return {};
  }
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
  // Someone may have put another file or link in its place since; that one is not ours.
  struct stat now {};
  if (!m_linkPath.empty() && lstat(m_linkPath.c_str(), &now) == 0 && S_ISLNK(now.st_mode) &&
      now.st_dev == m_linkDevice && now.st_ino == m_linkInode &&
      LinkTarget(m_linkPath) == m_slavePath) {
    unlink(m_linkPath.c_str());
  }
  if (m_closesFd >= 0) {
    close(m_closesFd);
  }
  if (m_slaveFd >= 0) {
    close(m_slaveFd);
  }
  if (m_masterFd >= 0) {
    close(m_masterFd);
  }
}

bool PseudoTerminal::Open(std::string& error) {
  m_masterFd = posix_openpt(O_RDWR | O_NOCTTY);
  if (m_masterFd < 0) {
    error = Failure("posix_openpt");
    return false;
  }
  if (grantpt(m_masterFd) != 0 || unlockpt(m_masterFd) != 0) {
    error = Failure("grantpt/unlockpt");
    return false;
  }
  const char* name = ptsname(m_masterFd);
  if (name == nullptr) {
    error = Failure("ptsname");
    return false;
  }
  m_slavePath = name;

  // Settings made on the master apply to the pair.
  termios settings{};
  if (tcgetattr(m_masterFd, &settings) != 0) {
    error = Failure("tcgetattr");
    return false;
  }
  cfmakeraw(&settings);
  if (tcsetattr(m_masterFd, TCSANOW, &settings) != 0) {
    error = Failure("tcsetattr");
    return false;
  }

  m_slaveFd = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
  if (m_slaveFd < 0) {
    error = Failure("open " + m_slavePath);
    return false;
  }
  // Watched after our own open, so that only other openers' closes show. Without inotify the
  // simulator only misses telling of a client that went away in the middle of a download.
  m_closesFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_closesFd >= 0 &&
      inotify_add_watch(m_closesFd, m_slavePath.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(m_closesFd);
    m_closesFd = -1;
  }
  const int flags = fcntl(m_masterFd, F_GETFL);
  if (flags < 0 || fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK) != 0) {
    error = Failure("fcntl");
    return false;
  }
  return true;
}

LinkResult PseudoTerminal::Link(const std::string& path, std::string& error) {
  // symlink() never replaces, so another simulator's link, or a link to a real port, stays
  // whatever happens between the two programs.
  if (symlink(m_slavePath.c_str(), path.c_str()) != 0) {
    if (errno == EEXIST) {
      error = "--link " + path + ": the path exists already; left as it is";
      return LinkResult::kPathTaken;
    }
    error = Failure("symlink " + path);
    return LinkResult::kFailed;
  }
  struct stat made {};
  if (lstat(path.c_str(), &made) != 0) {
    error = Failure("lstat " + path);
    return LinkResult::kFailed;
  }
  m_linkPath = path;
  m_linkDevice = made.st_dev;
  m_linkInode = made.st_ino;
  return LinkResult::kMade;
}

bool PseudoTerminal::TakeCloses() {
  bool closed = false;
  alignas(inotify_event) char events[4096];
  for (;;) {
    const ssize_t n = read(m_closesFd, events, sizeof events);
    if (n > 0) {
      closed = true;  // only close events are watched
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    return closed;
  }
}

}  // namespace scanner_sim
