// A process and shutdown stand-in for tests: an empty process list, and every power-off request
// recorded and refused. It can never end a process or power anything off.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/process/process_control.h"

class RecordingProcesses : public platform::ProcessControl {
 public:
  platform::LibraryHandle LoadProcessLibrary(const char*) override { return 1; }
  bool FindFunction(platform::LibraryHandle, const char*) override { return true; }
  platform::SnapshotHandle TakeSnapshot() override { return 1; }
  bool FirstEntry(platform::SnapshotHandle, platform::ProcessEntry&) override { return false; }
  bool NextEntry(platform::SnapshotHandle, platform::ProcessEntry&) override { return false; }
  void EndProcess(std::uint32_t, std::uint32_t) override { ++ended; }
  void CloseSnapshot(platform::SnapshotHandle) override {}
  void UnloadLibrary(platform::LibraryHandle) override {}
  int RequestShutdown(std::uint32_t flags, std::uint32_t) override {
    requests.push_back(flags);
    return 0;
  }
  int ended = 0;
  std::vector<std::uint32_t> requests;
};
