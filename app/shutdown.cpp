#include "app/shutdown.h"

#include <string_view>

using platform::LibraryHandle;
using platform::ProcessControl;
using platform::ProcessEntry;
using platform::SnapshotHandle;

namespace {

constexpr std::string_view kDesktopShell = "explorer.exe";
constexpr std::uint32_t kShellExitCode = 1;
constexpr std::uint32_t kShutdownReason = 0;
constexpr const char* kProcessFunctions[] = {
    platform::kCreateSnapshotFunction, platform::kFirstEntryFunction, platform::kNextEntryFunction};

// The text after the last backslash, or slash for a Linux path; the whole name when it has neither.
std::string_view FileNamePart(std::string_view name) {
  const std::size_t separator = name.find_last_of("\\/");
  return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

bool IsDesktopShell(const ProcessEntry& entry) {
  return platform::SameNameIgnoringCase(FileNamePart(entry.szExeFile), kDesktopShell);
}

// Ends every desktop shell of the snapshot; a process that cannot be ended does not stop the walk.
void EndDesktopShells(ProcessControl& system, SnapshotHandle snapshot) {
  ProcessEntry entry;
  entry.dwSize = platform::kProcessEntrySize;
  bool fetched = system.FirstEntry(snapshot, entry);
  while (fetched) {
    if (!entry.szExeFile.empty() && IsDesktopShell(entry))
      system.EndProcess(entry.th32ProcessID, kShellExitCode);
    entry.dwSize = platform::kProcessEntrySize;
    fetched = system.NextEntry(snapshot, entry);
  }
}

}  // namespace

int ShutdownSystem(std::uint32_t flags, ProcessControl& system) {
  if ((flags & platform::EWX_FORCE) == 0)
    return system.RequestShutdown(flags, kShutdownReason);

  const LibraryHandle kernel = system.LoadProcessLibrary(platform::kKernelLibrary);
  if (kernel == platform::kNoLibrary)
    return 0;
  for (const char* function : kProcessFunctions) {
    if (!system.FindFunction(kernel, function)) {
      system.UnloadLibrary(kernel);
      return 0;
    }
  }
  const SnapshotHandle snapshot = system.TakeSnapshot();
  if (snapshot == platform::kInvalidSnapshot) {
    system.UnloadLibrary(kernel);
    return 0;
  }
  EndDesktopShells(system, snapshot);
  system.CloseSnapshot(snapshot);
  system.UnloadLibrary(kernel);
  return system.RequestShutdown(flags, kShutdownReason);
}
