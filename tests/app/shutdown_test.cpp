#include "app/shutdown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::ProcessEntry;

constexpr platform::LibraryHandle kKernel = 0x51;
constexpr platform::SnapshotHandle kSnapshot = 0x77;

// A system that answers as scripted and logs every call, so a test sees the exact order of the
// steps. It never touches a real process and never shuts anything down.
class ScriptedSystem final : public platform::ProcessControl {
 public:
  std::vector<ProcessEntry> processes;
  bool libraryLoads = true;
  std::string missingFunction;
  bool snapshotTaken = true;
  bool firstEntryFails = false;
  int answer = 1;
  std::vector<std::string> calls;

  platform::LibraryHandle LoadProcessLibrary(const char* name) override {
    calls.push_back(std::string("load ") + name);
    return libraryLoads ? kKernel : platform::kNoLibrary;
  }
  bool FindFunction(platform::LibraryHandle library, const char* name) override {
    calls.push_back(std::string("find ") + name);
    EXPECT_EQ(library, kKernel);
    return name != missingFunction;
  }
  platform::SnapshotHandle TakeSnapshot() override {
    calls.push_back("snapshot");
    return snapshotTaken ? kSnapshot : platform::kInvalidSnapshot;
  }
  bool FirstEntry(platform::SnapshotHandle snapshot, ProcessEntry& entry) override {
    calls.push_back("first");
    m_next = 0;
    return !firstEntryFails && Fill(snapshot, entry);
  }
  bool NextEntry(platform::SnapshotHandle snapshot, ProcessEntry& entry) override {
    calls.push_back("next");
    return Fill(snapshot, entry);
  }
  void EndProcess(std::uint32_t processId, std::uint32_t exitCode) override {
    calls.push_back("end " + std::to_string(processId) + " code " + std::to_string(exitCode));
  }
  void CloseSnapshot(platform::SnapshotHandle snapshot) override {
    calls.push_back("close");
    EXPECT_EQ(snapshot, kSnapshot);
  }
  void UnloadLibrary(platform::LibraryHandle library) override {
    calls.push_back("unload");
    EXPECT_EQ(library, kKernel);
  }
  int RequestShutdown(std::uint32_t flags, std::uint32_t reason) override {
    calls.push_back("request " + std::to_string(flags) + " reason " + std::to_string(reason));
    return answer;
  }

 private:
  bool Fill(platform::SnapshotHandle snapshot, ProcessEntry& entry) {
    EXPECT_EQ(snapshot, kSnapshot);
    if (entry.dwSize != platform::kProcessEntrySize) {
      calls.push_back("size " + std::to_string(entry.dwSize));
      return false;
    }
    if (m_next >= processes.size())
      return false;
    entry = processes[m_next++];
    // The system may leave anything in the size field; the caller sets it before every call.
    entry.dwSize = 0;
    return true;
  }

  std::size_t m_next = 0;
};

const std::vector<std::string> kOpening = {"load Kernel32.DLL", "find CreateToolhelp32Snapshot",
                                           "find Process32First", "find Process32Next", "snapshot"};

std::vector<std::string> Opening(std::vector<std::string> rest) {
  std::vector<std::string> calls = kOpening;
  calls.insert(calls.end(), rest.begin(), rest.end());
  return calls;
}

TEST(ShutdownSystem, EndsEveryDesktopShellThenRequests) {
  ScriptedSystem system;
  system.processes = {
      {0, 10, "explorer.exe"},
      {0, 11, "myexplorer.exe"},
      {0, 12, "EXPLORER.EXE"},
      {0, 13, ""},
      {0, 14, "C:\\Windows\\Explorer.exe"},
      {0, 15, "explorer.exe2"},
      {0, 16, "/opt/wine/eXpLoReR.ExE"},
      {0, 17, "C:\\explorer.exe\\shell.exe"},
      {0, 18, "C:\\Windows\\"},
      {0, 19, " explorer.exe"},
      {0, 20, "explorer"},
      {0, 21, "explorer.exe"},
  };
  system.answer = 37;

  EXPECT_EQ(ShutdownSystem(platform::EWX_SHUTDOWN | platform::EWX_FORCE, system), 37);
  EXPECT_EQ(system.calls, Opening({"first", "end 10 code 1", "next",
                                   "next",  "end 12 code 1", "next",
                                   "next",  "end 14 code 1", "next",
                                   "next",  "end 16 code 1", "next",
                                   "next",  "next",          "next",
                                   "next",  "end 21 code 1", "next",
                                   "close", "unload",        "request 5 reason 0"}));
}

TEST(ShutdownSystem, FlagsAndFailures) {
  const std::vector<ProcessEntry> oneShell = {{0, 42, "explorer.exe"}};
  struct Case {
    const char* what;
    std::uint32_t flags;
    void (*script)(ScriptedSystem&);
    std::vector<std::string> calls;
    int result;
  };
  const Case cases[] = {
      {"not forced: only the request, no process touched",
       platform::EWX_SHUTDOWN,
       [](ScriptedSystem&) {},
       {"request 1 reason 0"},
       1},
      {"not forced, refused",
       0,
       [](ScriptedSystem& s) { s.answer = 0; },
       {"request 0 reason 0"},
       0},
      {"other flags passed on unchanged", 0x15, [](ScriptedSystem&) {},
       Opening({"first", "end 42 code 1", "next", "close", "unload", "request 21 reason 0"}), 1},
      {"no kernel library",
       5,
       [](ScriptedSystem& s) { s.libraryLoads = false; },
       {"load Kernel32.DLL"},
       0},
      {"no snapshot function",
       5,
       [](ScriptedSystem& s) { s.missingFunction = "CreateToolhelp32Snapshot"; },
       {"load Kernel32.DLL", "find CreateToolhelp32Snapshot", "unload"},
       0},
      {"no first-entry function",
       5,
       [](ScriptedSystem& s) { s.missingFunction = "Process32First"; },
       {"load Kernel32.DLL", "find CreateToolhelp32Snapshot", "find Process32First", "unload"},
       0},
      {"no next-entry function",
       5,
       [](ScriptedSystem& s) { s.missingFunction = "Process32Next"; },
       {"load Kernel32.DLL", "find CreateToolhelp32Snapshot", "find Process32First",
        "find Process32Next", "unload"},
       0},
      {"snapshot fails", 5, [](ScriptedSystem& s) { s.snapshotTaken = false; }, Opening({"unload"}),
       0},
      {"first entry fails: nothing ended, still requested", 5,
       [](ScriptedSystem& s) { s.firstEntryFails = true; },
       Opening({"first", "close", "unload", "request 5 reason 0"}), 1},
      {"refused after the shells were ended: they stay ended", 5,
       [](ScriptedSystem& s) { s.answer = 0; },
       Opening({"first", "end 42 code 1", "next", "close", "unload", "request 5 reason 0"}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedSystem system;
    system.processes = oneShell;
    c.script(system);
    EXPECT_EQ(ShutdownSystem(c.flags, system), c.result);
    EXPECT_EQ(system.calls, c.calls);
  }
}

}  // namespace
