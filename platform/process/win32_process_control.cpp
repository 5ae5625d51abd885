// The process seam on Windows: the Toolhelp32 functions looked up in the kernel library at run
// time, processes ended with TerminateProcess, and ExitWindowsEx after enabling the shutdown
// privilege, without which the system refuses the request from an ordinary process. Built on
// Windows only.
#include "platform/process/process_control.h"

// After our own header: <windows.h> defines EWX_SHUTDOWN and EWX_FORCE as macros.
#include <windows.h>
// Needs the types of <windows.h>.
#include <tlhelp32.h>

#include <cstring>

namespace platform {

namespace {

// The 8-bit record: PROCESSENTRY32 turns into the wide one in a Unicode build.
using NativeEntry = tagPROCESSENTRY32;
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using EntryFn = BOOL(WINAPI*)(HANDLE, NativeEntry*);

// GetProcAddress gives every function one type; going through void(*)() tells the compiler the
// cast to the real type is meant.
template <typename Function>
Function As(FARPROC function) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(function));
}

void EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  CloseHandle(token);
}

class Win32ProcessControl final : public ProcessControl {
 public:
  LibraryHandle LoadProcessLibrary(const char* name) override {
    return reinterpret_cast<LibraryHandle>(LoadLibraryA(name));
  }

  // Keeps what it found, for the snapshot and entry calls that follow.
  bool FindFunction(LibraryHandle library, const char* name) override {
    const FARPROC function = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
    if (function == nullptr)
      return false;
    if (std::strcmp(name, kCreateSnapshotFunction) == 0)
      m_createSnapshot = As<CreateSnapshotFn>(function);
    else if (std::strcmp(name, kFirstEntryFunction) == 0)
      m_firstEntry = As<EntryFn>(function);
    else if (std::strcmp(name, kNextEntryFunction) == 0)
      m_nextEntry = As<EntryFn>(function);
    return true;
  }

  SnapshotHandle TakeSnapshot() override {
    if (m_createSnapshot == nullptr)
      return kInvalidSnapshot;
    const HANDLE snapshot = m_createSnapshot(TH32CS_SNAPPROCESS, 0);
    return snapshot == INVALID_HANDLE_VALUE ? kInvalidSnapshot
                                            : reinterpret_cast<SnapshotHandle>(snapshot);
  }

  bool FirstEntry(SnapshotHandle snapshot, ProcessEntry& entry) override {
    return Fetch(m_firstEntry, snapshot, entry);
  }

  bool NextEntry(SnapshotHandle snapshot, ProcessEntry& entry) override {
    return Fetch(m_nextEntry, snapshot, entry);
  }

  void EndProcess(std::uint32_t processId, std::uint32_t exitCode) override {
    const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (process == nullptr)
      return;
    TerminateProcess(process, exitCode);
    CloseHandle(process);
  }

  void CloseSnapshot(SnapshotHandle snapshot) override {
    CloseHandle(reinterpret_cast<HANDLE>(snapshot));
  }

  void UnloadLibrary(LibraryHandle library) override {
    m_createSnapshot = nullptr;
    m_firstEntry = nullptr;
    m_nextEntry = nullptr;
    FreeLibrary(reinterpret_cast<HMODULE>(library));
  }

  int RequestShutdown(std::uint32_t flags, std::uint32_t reason) override {
    EnableShutdownPrivilege();
    return ExitWindowsEx(flags, reason);
  }

 private:
  // The record's size is 296 in the 32-bit build the routine was made for and larger in a 64-bit
  // one, so the native record gets its own size once the caller's is found right.
  static bool Fetch(EntryFn function, SnapshotHandle snapshot, ProcessEntry& entry) {
    if (function == nullptr || entry.dwSize != kProcessEntrySize)
      return false;
    NativeEntry native = {};
    native.dwSize = sizeof(native);
    if (!function(reinterpret_cast<HANDLE>(snapshot), &native))
      return false;
    entry.th32ProcessID = native.th32ProcessID;
    entry.szExeFile = native.szExeFile;
    return true;
  }

  CreateSnapshotFn m_createSnapshot = nullptr;
  EntryFn m_firstEntry = nullptr;
  EntryFn m_nextEntry = nullptr;
};

}  // namespace

ProcessControl& SystemProcessControl() {
  static Win32ProcessControl system;
  return system;
}

}  // namespace platform
