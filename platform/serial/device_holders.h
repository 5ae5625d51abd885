// Who else has a device open, as far as /proc shows it on Linux.
//
// Exclusive mode and a lock turn away only those who open a device later. A program that already
// holds it without a lock (a serial getty, a modem manager probing an adapter, a terminal program)
// would read the scanner's replies alongside us, so before a port is used every other process's
// open descriptors are looked at: /proc/PID/fd/N is stat'ed and its st_rdev compared with the
// device's. Processes whose descriptors this account may not see are passed over, not counted.
// A pseudo-terminal slave is told by its devpts instance (st_dev) as well: a chroot or a container
// with a devpts of its own has a /dev/pts/0 of its own, with the same st_rdev as ours.
//
// A pseudo-terminal has two ends. A process that holds the master of the same pair (the far end:
// a simulated scanner, which may keep the slave open as well to hold its settings) is not a
// competitor; only one that holds the slave without its master is. A master names its pair in
// /proc/PID/fdinfo/N ("tty-index:\tN", the N of /dev/pts/N).
//
//   FindOtherHolder   the first process other than ours that holds the device
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>

namespace platform {

struct DeviceHolder {
  pid_t pid = 0;
  std::string command;  // /proc/PID/comm; empty when it could not be read
};

// A process other than `self` that holds the character device `device` (the device's stat),
// looked up under procRoot, which is "/proc" but for tests.
std::optional<DeviceHolder> FindOtherHolder(const struct stat& device, pid_t self,
                                            const std::string& procRoot);
// The same for the system's /proc and this process.
std::optional<DeviceHolder> FindOtherHolder(const struct stat& device);

}  // namespace platform
