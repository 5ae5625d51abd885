#include "platform/process/dry_run_process_control.h"

namespace platform {

namespace {

constexpr char kPrefix[] = "codepanel --no-power-off: ";

}  // namespace

LibraryHandle DryRunProcessControl::LoadProcessLibrary(const char* name) {
  return m_system.LoadProcessLibrary(name);
}

bool DryRunProcessControl::FindFunction(LibraryHandle library, const char* name) {
  return m_system.FindFunction(library, name);
}

SnapshotHandle DryRunProcessControl::TakeSnapshot() {
  return m_system.TakeSnapshot();
}

bool DryRunProcessControl::FirstEntry(SnapshotHandle snapshot, ProcessEntry& entry) {
  const bool fetched = m_system.FirstEntry(snapshot, entry);
  if (fetched)
    m_lastEntry = entry;
  return fetched;
}

bool DryRunProcessControl::NextEntry(SnapshotHandle snapshot, ProcessEntry& entry) {
  const bool fetched = m_system.NextEntry(snapshot, entry);
  if (fetched)
    m_lastEntry = entry;
  return fetched;
}

void DryRunProcessControl::EndProcess(std::uint32_t processId, std::uint32_t exitCode) {
  m_report << kPrefix << "would end process " << processId;
  if (m_lastEntry.th32ProcessID == processId)
    m_report << " \"" << m_lastEntry.szExeFile << '"';
  m_report << " with exit code " << exitCode << '\n';
}

void DryRunProcessControl::CloseSnapshot(SnapshotHandle snapshot) {
  m_system.CloseSnapshot(snapshot);
}

void DryRunProcessControl::UnloadLibrary(LibraryHandle library) {
  m_system.UnloadLibrary(library);
}

int DryRunProcessControl::RequestShutdown(std::uint32_t flags, std::uint32_t reason) {
  m_report << kPrefix << "would request a" << ((flags & EWX_FORCE) != 0 ? " forced" : "")
           << " power-off (flags " << flags << ", reason " << reason << ")\n";
  return 1;
}

}  // namespace platform
