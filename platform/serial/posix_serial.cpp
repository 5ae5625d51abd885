#include "platform/serial/posix_serial.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/serial/device_holders.h"
#include "platform/serial/receive_errors.h"

namespace platform {

struct PosixSerialDevices::OpenDevice {
  int fd = -1;
  // A UART keeps error counters; a pseudo-terminal and some USB adapters keep none.
  bool hasErrorCounters = false;
  // The counters as the previous ClearError (or the open) saw them.
  ReceiveErrorWatch errors;
};

namespace {

struct DefaultPort {
  const char* name;
  const char* path;
};
constexpr DefaultPort kDefaultPorts[] = {
    {"COM1", "/dev/ttyS0"},
    {"COM2", "/dev/ttyS1"},
    {"COM3", "/dev/ttyS2"},
    {"COM4", "/dev/ttyS3"},
};

struct LineSpeed {
  std::uint32_t baudRate;
  speed_t speed;
};
constexpr LineSpeed kLineSpeeds[] = {
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

constexpr short kGone = POLLHUP | POLLERR | POLLNVAL;

// What a zero-time poll reports for the device; false when poll itself failed.
bool PollNow(int fd, short& revents) {
  pollfd entry{fd, POLLIN, 0};
  int ready = 0;
  do {
    ready = ::poll(&entry, 1, 0);
  } while (ready < 0 && errno == EINTR);
  revents = entry.revents;
  return ready >= 0;
}

bool ReadErrorCounters(int fd, ReceiveErrorCounts& counts) {
  serial_icounter_struct counters{};
  if (::ioctl(fd, TIOCGICOUNT, &counters) != 0)
    return false;
  counts.overrun = counters.overrun;
  counts.bufOverrun = counters.buf_overrun;
  counts.parity = counters.parity;
  counts.frame = counters.frame;
  counts.brk = counters.brk;
  return true;
}

OpenCause CauseOf(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return OpenCause::NotFound;
    case EACCES:
    case EPERM:
      return OpenCause::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:  // the lock is taken
      return OpenCause::InUse;
    case ENOTTY:
      return OpenCause::NotSerialDevice;
    default:
      return OpenCause::Other;
  }
}

// The frame part of c_cflag; false for a byte size, parity or stop-bit code termios cannot do.
bool FrameFlags(const LineSettings& settings, tcflag_t& flags) {
  flags = 0;
  switch (settings.byteSize) {
    case 7:
      flags |= CS7;
      break;
    case 8:
      flags |= CS8;
      break;
    default:
      return false;
  }
  switch (settings.parity) {
    case NOPARITY:
      break;
    case ODDPARITY:
      flags |= PARENB | PARODD;
      break;
    case EVENPARITY:
      flags |= PARENB;
      break;
    default:
      return false;
  }
  switch (settings.stopBits) {
    case ONESTOPBIT:
      break;
    // termios has no one and a half stop bits. Two keep the line idle a little longer, which a
    // receiver expecting one and a half accepts, whereas one would be too short for it.
    case ONE5STOPBITS:
    case TWOSTOPBITS:
      flags |= CSTOPB;
      break;
    default:
      return false;
  }
  return true;
}

bool SetBlockingWrites(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// 0 for a terminal; otherwise the errno that tells why not, ENOTTY for what is no character
// device. Asked through the descriptor, so that a by-id link stands for the device it leads to.
int NotATerminal(int fd, struct stat& device) {
  if (::fstat(fd, &device) != 0)
    return errno;
  if (!S_ISCHR(device.st_mode))
    return ENOTTY;
  termios tio{};
  return ::tcgetattr(fd, &tio) == 0 ? 0 : errno;
}

void Release(int fd) {
  // Without this a pseudo-terminal kept alive by its other holder stays closed to any non-root
  // user; failure only means the device is gone already.
  ::ioctl(fd, TIOCNXCL);
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

}  // namespace

PosixSerialDevices::PosixSerialDevices() {
  for (const DefaultPort& port : kDefaultPorts)
    m_paths[port.name] = port.path;
}

PosixSerialDevices::~PosixSerialDevices() {
  for (const auto& entry : m_open)
    Release(entry.second->fd);
}

void PosixSerialDevices::MapPort(const std::string& name, const std::string& path) {
  m_paths[name] = path;
}

std::string PosixSerialDevices::DevicePath(const std::string& name) const {
  const auto it = m_paths.find(name);
  return it == m_paths.end() ? std::string() : it->second;
}

PosixSerialDevices::OpenDevice* PosixSerialDevices::Find(DeviceHandle h) const {
  const auto it = m_open.find(h);
  return it == m_open.end() ? nullptr : it->second.get();
}

DeviceHandle PosixSerialDevices::Fail(OpenFailure failure) {
  if (failure.cause == OpenCause::InUse && failure.holderPid == 0) {
    // Whoever holds it, if this account may see them. A lock or exclusive mode of our own
    // process names no one.
    struct stat device {};
    if (::stat(failure.path.c_str(), &device) == 0 && S_ISCHR(device.st_mode)) {
      if (const std::optional<DeviceHolder> holder = FindOtherHolder(device)) {
        failure.holderPid = holder->pid;
        failure.holderCommand = holder->command;
      }
    }
  }
  m_lastOpenFailure = std::move(failure);
  return kInvalidHandle;
}

DeviceHandle PosixSerialDevices::Open(const std::string& name) {
  const std::string path = DevicePath(name);
  if (path.empty())
    return Fail({name, path, OpenCause::NoSuchName, 0, 0, {}});
  // Non-blocking so that the open does not wait for a carrier on a modem line.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return Fail({name, path, CauseOf(error), error, 0, {}});
  }
  // TIOCEXCL turns away other openers but not root; the lock also stops a second open by us.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail({name, path, CauseOf(error), error, 0, {}});
  }
  struct stat device {};
  if (const int error = NotATerminal(fd, device); error != 0) {
    ::close(fd);
    return Fail({name, path, CauseOf(error), error, 0, {}});
  }
  // Before exclusive mode, so that turning a device down again cannot clear the exclusive mode
  // of a holder that root's open passed by.
  if (const std::optional<DeviceHolder> holder = FindOtherHolder(device)) {
    ::close(fd);
    return Fail({name, path, OpenCause::InUse, 0, holder->pid, holder->command});
  }
  if (::ioctl(fd, TIOCEXCL) != 0 || !SetBlockingWrites(fd)) {
    const int error = errno;
    Release(fd);
    return Fail({name, path, CauseOf(error), error, 0, {}});
  }
  auto opened = std::make_unique<OpenDevice>();
  opened->fd = fd;
  ReceiveErrorCounts counts;
  opened->hasErrorCounters = ReadErrorCounters(fd, counts);
  opened->errors = ReceiveErrorWatch(counts);
  const auto handle = static_cast<DeviceHandle>(fd);
  m_open[handle] = std::move(opened);
  m_lastOpenFailure.reset();
  return handle;
}

bool PosixSerialDevices::SetImmediateReads(DeviceHandle h) {
  const OpenDevice* device = Find(h);
  termios tio{};
  if (device == nullptr || ::tcgetattr(device->fd, &tio) != 0)
    return false;
  // VMIN and VTIME count only outside canonical mode.
  tio.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  return ::tcsetattr(device->fd, TCSANOW, &tio) == 0;
}

bool PosixSerialDevices::SetLineSettings(DeviceHandle h, const LineSettings& settings) {
  const OpenDevice* device = Find(h);
  termios tio{};
  if (device == nullptr || ::tcgetattr(device->fd, &tio) != 0)
    return false;
  const LineSpeed* speed = nullptr;
  for (const LineSpeed& entry : kLineSpeeds) {
    if (entry.baudRate == settings.baudRate)
      speed = &entry;
  }
  tcflag_t frame = 0;
  if (speed == nullptr || !FrameFlags(settings, frame))
    return false;

  // Codes are binary: no byte is interpreted, translated, echoed or dropped either way, and no
  // XON/XOFF or RTS/CTS flow control can stop the line. A byte received with a parity error
  // arrives as 0x00, but the parity error reported with it fails the read anyway.
  const bool checkParity = settings.parity != NOPARITY && settings.parityCheck;
  tio.c_iflag = checkParity ? INPCK : 0;
  tio.c_oflag = 0;
  tio.c_lflag = 0;
  // CLOCAL: the scanners drive no modem lines. HUPCL stays off so that closing does not touch
  // DTR either. VMIN and VTIME are kept as SetImmediateReads left them.
  tio.c_cflag = CLOCAL | CREAD | frame;
  // A pseudo-terminal always keeps eight bits without parity; the C library may then report a
  // request for seven bits or parity as failed although everything else took effect.
  if (::cfsetispeed(&tio, speed->speed) != 0 || ::cfsetospeed(&tio, speed->speed) != 0 ||
      ::tcsetattr(device->fd, TCSANOW, &tio) != 0) {
    return false;
  }
  // After tcsetattr, since the driver raises both lines when the speed leaves 0. A
  // pseudo-terminal has no modem lines and refuses.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(device->fd, TIOCMBIC, &lines);
  return true;
}

bool PosixSerialDevices::ClearError(DeviceHandle h, std::uint32_t& errors, std::uint32_t& inQueue) {
  errors = 0;
  inQueue = 0;
  OpenDevice* device = Find(h);
  short revents = 0;
  if (device == nullptr || !PollNow(device->fd, revents) || (revents & kGone) != 0)
    return false;
  int waiting = 0;
  // Fails with EIO, ENODEV or ENXIO once the device has gone.
  if (::ioctl(device->fd, FIONREAD, &waiting) != 0 || waiting < 0)
    return false;
  if (device->hasErrorCounters) {
    ReceiveErrorCounts now;
    if (!ReadErrorCounters(device->fd, now))
      return false;
    errors = device->errors.Take(now);
  }
  inQueue = static_cast<std::uint32_t>(waiting);
  return true;
}

bool PosixSerialDevices::Read(DeviceHandle h, std::uint8_t* buffer, std::uint32_t n,
                              std::uint32_t& got) {
  got = 0;
  const OpenDevice* device = Find(h);
  short revents = 0;
  // A hung-up terminal reads as an endless end of file, which would pass for "nothing yet".
  if (device == nullptr || !PollNow(device->fd, revents) || (revents & kGone) != 0)
    return false;
  // Polling first keeps the promise never to wait even before SetImmediateReads.
  if ((revents & POLLIN) == 0 || n == 0)
    return true;
  ssize_t count = 0;
  do {
    count = ::read(device->fd, buffer, n);
  } while (count < 0 && errno == EINTR);
  if (count < 0)
    return errno == EAGAIN || errno == EWOULDBLOCK;
  got = static_cast<std::uint32_t>(count);
  return true;
}

bool PosixSerialDevices::Write(DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
                               std::uint32_t& written) {
  written = 0;
  const OpenDevice* device = Find(h);
  if (device == nullptr)
    return false;
  // A blocking write cannot hang for good: with flow control off the line always drains at its
  // baud rate, and a hang-up (adapter unplugged, pseudo-terminal master closed) fails at once.
  while (written < n) {
    const ssize_t count = ::write(device->fd, data + written, n - written);
    if (count > 0) {
      written += static_cast<std::uint32_t>(count);
    } else if (count < 0 && errno == EINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

bool PosixSerialDevices::Drain(DeviceHandle h) {
  const OpenDevice* device = Find(h);
  if (device == nullptr)
    return false;
  while (::tcdrain(device->fd) != 0) {
    if (errno != EINTR)
      return false;
  }
  return true;
}

std::unique_ptr<NamedSerialDevices> MakeSystemSerialDevices() {
  return std::make_unique<PosixSerialDevices>();
}

bool PosixSerialDevices::Close(DeviceHandle h) {
  const auto it = m_open.find(h);
  if (it == m_open.end())
    return false;
  Release(it->second->fd);
  m_open.erase(it);
  return true;
}

}  // namespace platform
