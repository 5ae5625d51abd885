// DryRunProcessControl: the stand-in behind "codepanel --no-power-off", for demos and tests.
//
// It walks the real process list through the backend it wraps, but in place of ending a process or
// asking for a shutdown it writes to stderr what it would have done, and then answers as if the
// system had accepted. Neither EndProcess nor RequestShutdown ever reaches the wrapped backend.
// Process names are printed as the system gave them.
#pragma once

#include <cstdint>
#include <iostream>
#include <ostream>

#include "platform/process/process_control.h"

namespace platform {

class DryRunProcessControl final : public ProcessControl {
 public:
  explicit DryRunProcessControl(ProcessControl& system, std::ostream& report = std::cerr)
      : m_system(system), m_report(report) {}

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
  ProcessControl& m_system;
  std::ostream& m_report;
  // The entry fetched last, which is the one the routine ends, so its name can be shown.
  ProcessEntry m_lastEntry;
};

}  // namespace platform
