#include "tests/support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace test_support {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PtyPair::PtyPair() {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0)
    return;
  termios tio{};
  const char* name = nullptr;
  // Termios requests on the master act on the slave: this makes the line raw.
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || (name = ::ptsname(master)) == nullptr ||
      ::tcgetattr(master, &tio) != 0) {
    ::close(master);
    return;
  }
  ::cfmakeraw(&tio);
  const int flags = ::fcntl(master, F_GETFL);
  if (::tcsetattr(master, TCSANOW, &tio) != 0 || flags < 0 ||
      ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
    ::close(master);
    return;
  }
  m_slavePath = name;
  m_master = master;
}

PtyPair::~PtyPair() {
  CloseMaster();
}

bool PtyPair::MakeLineCooked() {
  termios tio{};
  if (!IsOpen() || ::tcgetattr(m_master, &tio) != 0)
    return false;
  tio.c_iflag = BRKINT | ICRNL | IXON | IXANY | IMAXBEL | ISTRIP;
  tio.c_oflag = OPOST | ONLCR;
  tio.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
  tio.c_cflag = (tio.c_cflag & ~(CSIZE | PARENB)) | CS8 | CREAD | HUPCL | CRTSCTS;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 5;
  return ::tcsetattr(m_master, TCSANOW, &tio) == 0;
}

bool PtyPair::WriteMaster(const std::vector<std::uint8_t>& bytes) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
  std::size_t done = 0;
  while (IsOpen() && done < bytes.size()) {
    const ssize_t count = ::write(m_master, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
    } else if (count < 0 && errno == EAGAIN) {
      // The slave's input is full until the code under test reads.
      pollfd entry{m_master, POLLOUT, 0};
      if (::poll(&entry, 1, MillisecondsLeft(deadline)) == 0)
        return false;
    } else if (count < 0 && errno != EINTR) {
      return false;
    }
  }
  return IsOpen();
}

std::vector<std::uint8_t> PtyPair::ReadMaster(std::size_t n, std::chrono::milliseconds limit) {
  std::vector<std::uint8_t> bytes;
  const Clock::time_point deadline = Clock::now() + limit;
  while (IsOpen() && bytes.size() < n) {
    pollfd entry{m_master, POLLIN, 0};
    const int ready = ::poll(&entry, 1, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready <= 0 || (entry.revents & POLLIN) == 0)
      break;
    std::uint8_t chunk[512];
    const std::size_t want = std::min(n - bytes.size(), sizeof chunk);
    const ssize_t count = ::read(m_master, chunk, want);
    if (count > 0)
      bytes.insert(bytes.end(), chunk, chunk + count);
  }
  return bytes;
}

void PtyPair::CloseMaster() {
  if (m_master >= 0)
    ::close(m_master);
  m_master = -1;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() >= deadline)
      return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace test_support
