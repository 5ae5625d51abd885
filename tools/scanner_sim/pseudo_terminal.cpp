#include "tools/scanner_sim/pseudo_terminal.h"

#include <fcntl.h>
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
  // Another simulator may have taken the link over since; leave it to that one.
  if (!m_linkPath.empty() && LinkTarget(m_linkPath) == m_slavePath) {
    unlink(m_linkPath.c_str());
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
  const int flags = fcntl(m_masterFd, F_GETFL);
  if (flags < 0 || fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK) != 0) {
    error = Failure("fcntl");
    return false;
  }
  return true;
}

bool PseudoTerminal::Link(const std::string& path, std::string& error) {
  struct stat existing {};
  if (lstat(path.c_str(), &existing) == 0) {
    if (!S_ISLNK(existing.st_mode)) {
      error = path + " exists and is not a symbolic link; left as it is";
      return false;
    }
    if (unlink(path.c_str()) != 0) {
      error = Failure("unlink " + path);
      return false;
    }
  }
  if (symlink(m_slavePath.c_str(), path.c_str()) != 0) {
    error = Failure("symlink " + path);
    return false;
  }
  m_linkPath = path;
  return true;
}

}  // namespace scanner_sim
