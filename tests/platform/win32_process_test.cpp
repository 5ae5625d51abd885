// The Win32 process backend for real, under wine: the power-off routine's walk through the
// Toolhelp32 snapshot ends the desktop shells this test starts itself (copies of a sleeping
// program named like explorer.exe) with TerminateProcess, and passes over the others. The
// shutdown request never reaches the system: the control here forwards every call to the real
// backend except RequestShutdown, which it records and answers itself.
//
// The walk ends every "explorer.exe" it sees, and wine runs its own C:\windows\explorer.exe (the
// desktop and tray) in the prefix when it can. This test ends no process it did not start: the
// control forwards the ending of this test's own processes only and records any other it was
// asked to end. The prefix is the Windows tests' private one (scripts/test-windows), which
// wineserver -k clears afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/shutdown.h"
#include "platform/process/process_control.h"

// After our own headers: <windows.h> defines EWX_SHUTDOWN and EWX_FORCE as macros.
#include <windows.h>

namespace {

// The system's own flags, from <windows.h>: the routine's copies in process_control.h must equal
// them.
constexpr std::uint32_t kForcedShutdown = EWX_SHUTDOWN | EWX_FORCE;
constexpr DWORD kShellExitCode = 1;  // what the routine ends a desktop shell with
constexpr int kRequestAnswer = 23;   // any non-zero answer: the request was "accepted"
constexpr DWORD kEndWaitMs = 5000;

// Everything to the real backend, but the ending of processes not started here and the request.
class StandInShutdown final : public platform::ProcessControl {
 public:
  StandInShutdown(platform::ProcessControl& real, std::set<std::uint32_t> ours)
      : m_real(real), m_ours(std::move(ours)) {}

  std::vector<std::pair<std::uint32_t, std::uint32_t>> requests;
  std::vector<std::uint32_t> ended;
  std::vector<std::string> declined;  // "pid name" of processes asked to end that are not ours
  std::function<void()> onRequest;

  platform::LibraryHandle LoadProcessLibrary(const char* name) override {
    return m_real.LoadProcessLibrary(name);
  }
  bool FindFunction(platform::LibraryHandle library, const char* name) override {
    return m_real.FindFunction(library, name);
  }
  platform::SnapshotHandle TakeSnapshot() override { return m_real.TakeSnapshot(); }
  bool FirstEntry(platform::SnapshotHandle snapshot, platform::ProcessEntry& entry) override {
    return Seen(m_real.FirstEntry(snapshot, entry), entry);
  }
  bool NextEntry(platform::SnapshotHandle snapshot, platform::ProcessEntry& entry) override {
    return Seen(m_real.NextEntry(snapshot, entry), entry);
  }
  void EndProcess(std::uint32_t processId, std::uint32_t exitCode) override {
    if (m_ours.count(processId) == 0) {
      declined.push_back(std::to_string(processId) + " " + m_names[processId]);
      return;
    }
    ended.push_back(processId);
    m_real.EndProcess(processId, exitCode);
  }
  void CloseSnapshot(platform::SnapshotHandle snapshot) override { m_real.CloseSnapshot(snapshot); }
  void UnloadLibrary(platform::LibraryHandle library) override { m_real.UnloadLibrary(library); }
  int RequestShutdown(std::uint32_t flags, std::uint32_t reason) override {
    requests.emplace_back(flags, reason);
    if (onRequest)
      onRequest();
    return kRequestAnswer;
  }

 private:
  bool Seen(bool fetched, const platform::ProcessEntry& entry) {
    if (fetched)
      m_names[entry.th32ProcessID] = entry.szExeFile;
    return fetched;
  }

  platform::ProcessControl& m_real;
  std::set<std::uint32_t> m_ours;
  std::map<std::uint32_t, std::string> m_names;
};

std::string Folder(const std::string& path) {
  return path.substr(0, path.find_last_of('\\') + 1);
}

// The sleeping program, built beside this test.
std::string SleeperPath() {
  char self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length == MAX_PATH)
    return {};
  return Folder(self) + SLEEPER_NAME;
}

// Copies of the sleeper started under given paths; every one still running is ended (it is ours)
// and every file and folder made is removed, however the test ends.
class ShellCopies {
 public:
  ShellCopies() {
    char temp[MAX_PATH] = {};
    if (GetTempPathA(MAX_PATH, temp) == 0)
      return;
    std::random_device random;
    m_root = std::string(temp) + "codepanel-shells-" + std::to_string(random());
    if (!CreateDirectoryA(m_root.c_str(), nullptr))
      m_root.clear();
  }
  ~ShellCopies() {
    for (const PROCESS_INFORMATION& process : m_processes) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, kEndWaitMs);
      }
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
    for (auto file = m_files.rbegin(); file != m_files.rend(); ++file)
      DeleteFileA(file->c_str());
    for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder)
      RemoveDirectoryA(folder->c_str());
    if (!m_root.empty())
      RemoveDirectoryA(m_root.c_str());
  }
  ShellCopies(const ShellCopies&) = delete;
  ShellCopies& operator=(const ShellCopies&) = delete;

  const std::string& Root() const { return m_root; }

  // Copies the sleeper to path (its folder made when missing) and starts it; the process handle,
  // or nullptr on failure.
  HANDLE Start(const std::string& path) {
    const std::string folder = Folder(path);
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
      if (!CreateDirectoryA(folder.c_str(), nullptr))
        return nullptr;
      m_folders.push_back(folder);
    }
    if (!CopyFileA(SleeperPath().c_str(), path.c_str(), FALSE))
      return nullptr;
    m_files.push_back(path);
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
      return nullptr;
    m_processes.push_back(process);
    m_ids.insert(process.dwProcessId);
    return process.hProcess;
  }

  std::set<std::uint32_t> Ids() const { return m_ids; }
  std::uint32_t IdOf(HANDLE process) const { return GetProcessId(process); }

 private:
  std::string m_root;
  std::vector<std::string> m_files;
  std::vector<std::string> m_folders;
  std::vector<PROCESS_INFORMATION> m_processes;
  std::set<std::uint32_t> m_ids;
};

TEST(Win32ProcessControl, ForcedShutdownEndsEveryDesktopShellThisTestStarted) {
  ShellCopies copies;
  ASSERT_FALSE(copies.Root().empty());
  const std::string root = copies.Root() + "\\";
  // Three folders for three spellings, since the file system may fold case.
  const HANDLE shells[] = {copies.Start(root + "lower\\explorer.exe"),
                           copies.Start(root + "upper\\EXPLORER.EXE"),
                           copies.Start("C:\\x\\Explorer.exe")};
  const HANDLE other = copies.Start(root + "other\\myexplorer.exe");
  for (const HANDLE process : {shells[0], shells[1], shells[2], other})
    ASSERT_NE(process, nullptr) << "cannot start a copy of " << SleeperPath();

  StandInShutdown system(platform::SystemProcessControl(), copies.Ids());
  // At the request the shells must already have ended: the routine ends them first.
  std::vector<DWORD> atRequest;
  system.onRequest = [&] {
    for (const HANDLE shell : shells)
      atRequest.push_back(WaitForSingleObject(shell, kEndWaitMs));
  };
  EXPECT_EQ(ShutdownSystem(kForcedShutdown, system), kRequestAnswer);

  ASSERT_EQ(system.requests.size(), 1u);
  EXPECT_EQ(system.requests[0], std::make_pair(kForcedShutdown, std::uint32_t{0}));
  EXPECT_EQ(atRequest, std::vector<DWORD>(3, WAIT_OBJECT_0));
  for (const HANDLE shell : shells) {
    SCOPED_TRACE(copies.IdOf(shell));
    ASSERT_EQ(WaitForSingleObject(shell, kEndWaitMs), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(shell, &exitCode));
    EXPECT_EQ(exitCode, kShellExitCode);
  }
  EXPECT_EQ(system.ended.size(), 3u);
  EXPECT_EQ(WaitForSingleObject(other, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "myexplorer.exe was ended";
  // Anything else the walk chose must have been a desktop shell too (wine's own, when it runs).
  for (const std::string& process : system.declined) {
    const std::string name = process.substr(process.find(' ') + 1);
    const std::string file = name.substr(name.find_last_of("\\/") + 1);
    EXPECT_TRUE(platform::SameNameIgnoringCase(file, "explorer.exe")) << process;
    std::printf("not ours, left running: process %s\n", process.c_str());
  }
}

}  // namespace
