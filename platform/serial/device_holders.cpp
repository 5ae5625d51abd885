#include "platform/serial/device_holders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <memory>
#include <string_view>

namespace platform {

namespace {

// The pseudo-terminal multiplexer, /dev/ptmx and /dev/pts/ptmx alike: every master links to it.
constexpr unsigned kPtmxMajor = 5;
constexpr unsigned kPtmxMinor = 2;
// Slaves are numbered across eight majors from 136, 256 to a major on old kernels; newer ones
// keep them all on 136 with wide minors, which the same sum reads correctly.
constexpr unsigned kPtySlaveMajor = 136;
constexpr unsigned kPtySlaveMajors = 8;

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

std::optional<unsigned> Number(std::string_view text) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end)
    return std::nullopt;
  return value;
}

// The N of /dev/pts/N for a pseudo-terminal slave; nothing for any other device.
std::optional<unsigned> PtyIndex(dev_t device) {
  const unsigned major = ::major(device);
  if (major < kPtySlaveMajor || major >= kPtySlaveMajor + kPtySlaveMajors)
    return std::nullopt;
  return (major - kPtySlaveMajor) * 256 + ::minor(device);
}

// The pair a master descriptor belongs to, from the "tty-index:\tN" line of its fdinfo.
std::optional<unsigned> MasterIndex(const std::string& fdinfoPath) {
  std::ifstream fdinfo(fdinfoPath);
  constexpr std::string_view kKey = "tty-index:";
  std::string line;
  while (std::getline(fdinfo, line)) {
    std::string_view rest(line);
    if (!rest.starts_with(kKey))
      continue;
    rest.remove_prefix(kKey.size());
    while (!rest.empty() && (rest.front() == '\t' || rest.front() == ' '))
      rest.remove_prefix(1);
    return Number(rest);
  }
  return std::nullopt;
}

std::string Command(const std::string& processDir) {
  std::ifstream comm(processDir + "/comm");
  std::string command;
  std::getline(comm, command);
  return command;
}

// Whether the process holds the device without being its far end. A descriptor list the account
// may not read (another user's process) or that has gone (the process ended) counts as holding
// nothing.
bool Holds(const std::string& processDir, const struct stat& device,
           std::optional<unsigned> ptyIndex) {
  const std::string fdDir = processDir + "/fd/";
  const Dir fds(::opendir(fdDir.c_str()));
  if (!fds)
    return false;
  bool holdsDevice = false;
  while (const dirent* entry = ::readdir(fds.get())) {
    const std::string_view fd(entry->d_name);
    if (fd == "." || fd == "..")
      continue;
    struct stat target {};
    // Follows the descriptor's link to what it has open; fails for a descriptor closed meanwhile.
    if (::stat((fdDir + entry->d_name).c_str(), &target) != 0 || !S_ISCHR(target.st_mode))
      continue;
    if (target.st_rdev == device.st_rdev) {
      // Another devpts instance numbers its slaves from 0 too; a real device is the same one
      // whatever file system its node is on.
      if (!ptyIndex || target.st_dev == device.st_dev)
        holdsDevice = true;
    } else if (ptyIndex && target.st_rdev == ::makedev(kPtmxMajor, kPtmxMinor)) {
      const std::optional<unsigned> pair =
          MasterIndex(processDir + "/fdinfo/" + std::string(entry->d_name));
      // A kernel that does not name the pair leaves no way to tell: such a master is taken for
      // the device's far end rather than turn away a simulator that holds both.
      if (!pair || *pair == *ptyIndex)
        return false;
    }
  }
  return holdsDevice;
}

}  // namespace

std::optional<DeviceHolder> FindOtherHolder(const struct stat& device, pid_t self,
                                            const std::string& procRoot) {
  const Dir processes(::opendir(procRoot.c_str()));
  if (!processes)
    return std::nullopt;
  const std::optional<unsigned> ptyIndex = PtyIndex(device.st_rdev);
  while (const dirent* entry = ::readdir(processes.get())) {
    const std::optional<unsigned> pid = Number(entry->d_name);
    if (!pid || static_cast<pid_t>(*pid) == self)
      continue;
    const std::string processDir = procRoot + "/" + entry->d_name;
    if (Holds(processDir, device, ptyIndex))
      return DeviceHolder{static_cast<pid_t>(*pid), Command(processDir)};
  }
  return std::nullopt;
}

std::optional<DeviceHolder> FindOtherHolder(const struct stat& device) {
  return FindOtherHolder(device, ::getpid(), "/proc");
}

}  // namespace platform
