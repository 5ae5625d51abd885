// What the power-off routine needs of the system, in the shape of the original platform's calls:
// a kernel library whose process functions are looked up by name at run time, a snapshot of the
// running processes walked entry by entry, a process ended by its identifier, and a shutdown
// request with flags. Each backend maps these onto its own system; the Linux one reads /proc and
// asks systemd-logind, the Windows one calls the functions of the same names.
//
//   LoadProcessLibrary / UnloadLibrary   the kernel library, by name; kNoLibrary when missing
//   FindFunction                         one of the process functions in it, by name
//   TakeSnapshot / CloseSnapshot         every running process at this moment
//   FirstEntry / NextEntry               one process: identifier and executable file name
//   EndProcess                           terminate by identifier with an exit code; no result
//   RequestShutdown                      flags and reason passed on; non-zero when accepted
//   SystemProcessControl                 this machine's backend
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Shutdown flags, numbered as the original platform numbers them.
inline constexpr std::uint32_t EWX_SHUTDOWN = 0x1;
inline constexpr std::uint32_t EWX_FORCE = 0x4;

// The library and the three process functions the routine asks for.
inline constexpr char kKernelLibrary[] = "Kernel32.DLL";
inline constexpr char kCreateSnapshotFunction[] = "CreateToolhelp32Snapshot";
inline constexpr char kFirstEntryFunction[] = "Process32First";
inline constexpr char kNextEntryFunction[] = "Process32Next";

// The size of the original 8-bit process record; an entry is fetched only into a record whose size
// field holds it.
inline constexpr std::uint32_t kProcessEntrySize = 296;

using LibraryHandle = std::uintptr_t;
inline constexpr LibraryHandle kNoLibrary = 0;
using SnapshotHandle = std::uintptr_t;
inline constexpr SnapshotHandle kInvalidSnapshot = ~SnapshotHandle{0};

// One process of a snapshot, with the original record's field names.
struct ProcessEntry {
  std::uint32_t dwSize = 0;
  std::uint32_t th32ProcessID = 0;
  // As the system reports it: may carry a directory path, and is empty for a process without one.
  std::string szExeFile;
};

class ProcessControl {
 public:
  virtual ~ProcessControl() = default;

  virtual LibraryHandle LoadProcessLibrary(const char* name) = 0;
  // False when the library has no function of that name.
  virtual bool FindFunction(LibraryHandle library, const char* name) = 0;
  virtual SnapshotHandle TakeSnapshot() = 0;
  // False when no entry was filled in: the snapshot is exhausted, or dwSize is not
  // kProcessEntrySize.
  virtual bool FirstEntry(SnapshotHandle snapshot, ProcessEntry& entry) = 0;
  virtual bool NextEntry(SnapshotHandle snapshot, ProcessEntry& entry) = 0;
  // Failures are not reported: the caller goes on either way.
  virtual void EndProcess(std::uint32_t processId, std::uint32_t exitCode) = 0;
  virtual void CloseSnapshot(SnapshotHandle snapshot) = 0;
  virtual void UnloadLibrary(LibraryHandle library) = 0;
  // The system's answer: non-zero when the shutdown was started.
  virtual int RequestShutdown(std::uint32_t flags, std::uint32_t reason) = 0;
};

// The real backend of the system this program was built for; it really ends processes and really
// shuts the machine down.
ProcessControl& SystemProcessControl();

// Names compared as the original platform compares file names: ASCII letters without regard to
// case, every other byte as it is.
inline bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i]))
      return false;
  }
  return true;
}

}  // namespace platform
