// Processes and power-off on Linux.
//
// The process functions are /proc: the kernel library is there while /proc is readable, a snapshot
// is the list of process identifiers at that moment (in ascending order), and each entry is read
// when it is fetched, so a process that ended in between is passed over. A process's executable
// file name is its first argument (argv[0], up to the first NUL of /proc/PID/cmdline); a kernel
// thread has an empty one. Ending a process is SIGKILL, which carries no exit code.
//
// The shutdown request is a seam of its own, so that the process walk can be run for real with a
// stand-in request. The real one asks systemd-logind over the system bus for a power-off, without
// ever prompting for a password: PowerOffWithFlags with flags 0 when forced (a privileged caller
// then passes over blocking inhibitors; any other caller needs polkit's
// org.freedesktop.login1.power-off-ignore-inhibit when one is active), and with
// SD_LOGIND_ROOT_CHECK_INHIBITORS when not, so that inhibitors then hold for everyone. A refusal,
// a missing bus or a missing logind all answer 0, silently.
//
//   ShutdownRequest       the request step alone
//   LogindShutdown        that step over the system bus
//   PowerOffRequest       the message sent, for flags of the original platform
//   PowerOffAccepted      reads logind's reply
//   RequestPowerOff       sends on a given bus and waits for the reply
//   LinuxProcessControl   the process walk over /proc, with a request step
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/process/process_control.h"

class QDBusConnection;
class QDBusMessage;

namespace platform {

class ShutdownRequest {
 public:
  virtual ~ShutdownRequest() = default;
  // Non-zero when the system accepted the request.
  virtual int RequestShutdown(std::uint32_t flags, std::uint32_t reason) = 0;
};

// Powers the machine off through systemd-logind; only a request with EWX_SHUTDOWN is offered.
class LogindShutdown final : public ShutdownRequest {
 public:
  int RequestShutdown(std::uint32_t flags, std::uint32_t reason) override;
};

QDBusMessage PowerOffRequest(std::uint32_t flags);
int PowerOffAccepted(const QDBusMessage& reply);
// 0 without sending when the flags ask for something other than a shutdown or the bus is not
// connected.
int RequestPowerOff(const QDBusConnection& bus, std::uint32_t flags);

class LinuxProcessControl final : public ProcessControl {
 public:
  // procRoot is where the process file system is mounted; tests may point it at a prepared tree.
  explicit LinuxProcessControl(ShutdownRequest& request, std::string procRoot = "/proc");

  LibraryHandle LoadProcessLibrary(const char* name) override;
  bool FindFunction(LibraryHandle library, const char* name) override;
  SnapshotHandle TakeSnapshot() override;
  bool FirstEntry(SnapshotHandle snapshot, ProcessEntry& entry) override;
  bool NextEntry(SnapshotHandle snapshot, ProcessEntry& entry) override;
  void EndProcess(std::uint32_t processId, std::uint32_t exitCode) override;
  void CloseSnapshot(SnapshotHandle snapshot) override;
  void UnloadLibrary(LibraryHandle library) override;
  int RequestShutdown(std::uint32_t flags, std::uint32_t reason) override;

 private:
  struct Snapshot {
    std::vector<std::uint32_t> processIds;
    std::size_t next = 0;
  };
  // Fills the entry from the snapshot's next process that still exists.
  bool FetchEntry(SnapshotHandle snapshot, ProcessEntry& entry);

  ShutdownRequest& m_request;
  std::string m_procRoot;
  std::map<SnapshotHandle, Snapshot> m_snapshots;
  SnapshotHandle m_nextSnapshot = 1;
};

}  // namespace platform
