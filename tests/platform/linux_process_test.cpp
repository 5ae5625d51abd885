// The Linux backend: the /proc walk on a prepared tree, the real walk ending desktop shells that
// this test starts itself, the dry run, and the logind request, built and read but never sent.
#include "platform/process/linux_process_control.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "app/shutdown.h"
#include "platform/process/dry_run_process_control.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using platform::LinuxProcessControl;
using platform::ProcessEntry;

// A request step that never reaches the system: it logs the requests and answers as told.
class StandInRequest final : public platform::ShutdownRequest {
 public:
  std::vector<std::pair<std::uint32_t, std::uint32_t>> requests;
  std::function<void()> onRequest;

  int RequestShutdown(std::uint32_t flags, std::uint32_t reason) override {
    requests.emplace_back(flags, reason);
    if (onRequest)
      onRequest();
    return 1;
  }
};

// A new folder of its own, removed with everything in it at the end; empty when none was made.
struct TempDir {
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "codepanel-process-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
      path = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path.empty())
      fs::remove_all(path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  fs::path path;
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<ProcessEntry> Walk(LinuxProcessControl& system, platform::SnapshotHandle snapshot) {
  std::vector<ProcessEntry> entries;
  ProcessEntry entry;
  entry.dwSize = platform::kProcessEntrySize;
  for (bool fetched = system.FirstEntry(snapshot, entry); fetched;
       fetched = system.NextEntry(snapshot, entry)) {
    entries.push_back(entry);
  }
  return entries;
}

TEST(LinuxProcessControl, ReadsTheProcTree) {
  const TempDir tree;
  const fs::path& root = tree.path;
  ASSERT_FALSE(root.empty());
  auto process = [&](const std::string& name, std::optional<std::string> cmdline) {
    fs::create_directory(root / name);
    if (cmdline)
      WriteFile(root / name / "cmdline", *cmdline);
  };
  using namespace std::string_literals;
  process("1", "/usr/lib/explorer.exe\0--flag\0"s);
  process("2", "");                             // a kernel thread
  process("3", std::nullopt);                   // ended since the listing
  process("40", "C:\\Windows\\explorer.exe"s);  // rewritten title without a NUL
  process("7", "sleep\0"s);
  process("self", "self\0"s);
  process("12abc", "x\0"s);
  process("+5", "x\0"s);
  process("0", "x\0"s);

  StandInRequest request;
  LinuxProcessControl system(request, root.string());
  const platform::LibraryHandle kernel = system.LoadProcessLibrary("KERNEL32.dll");
  ASSERT_NE(kernel, platform::kNoLibrary);
  EXPECT_EQ(system.LoadProcessLibrary("user32.dll"), platform::kNoLibrary);
  for (const char* name : {"CreateToolhelp32Snapshot", "Process32First", "Process32Next"})
    EXPECT_TRUE(system.FindFunction(kernel, name)) << name;
  EXPECT_FALSE(system.FindFunction(kernel, "Process32FirstW"));
  EXPECT_FALSE(system.FindFunction(platform::kNoLibrary, "Process32First"));

  const platform::SnapshotHandle snapshot = system.TakeSnapshot();
  ASSERT_NE(snapshot, platform::kInvalidSnapshot);
  const std::vector<std::pair<std::uint32_t, std::string>> expected = {
      {1, "/usr/lib/explorer.exe"}, {2, ""}, {7, "sleep"}, {40, "C:\\Windows\\explorer.exe"}};
  for (int pass = 0; pass < 2; ++pass) {  // FirstEntry starts the walk over
    const std::vector<ProcessEntry> entries = Walk(system, snapshot);
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(entries[i].th32ProcessID, expected[i].first);
      EXPECT_EQ(entries[i].szExeFile, expected[i].second);
    }
  }
  ProcessEntry unsized;
  EXPECT_FALSE(system.FirstEntry(snapshot, unsized));
  system.CloseSnapshot(snapshot);
  ProcessEntry entry;
  entry.dwSize = platform::kProcessEntrySize;
  EXPECT_FALSE(system.FirstEntry(snapshot, entry));
  system.UnloadLibrary(kernel);
  EXPECT_TRUE(request.requests.empty());

  fs::remove_all(root);
  EXPECT_EQ(system.LoadProcessLibrary("Kernel32.DLL"), platform::kNoLibrary);
  EXPECT_EQ(system.TakeSnapshot(), platform::kInvalidSnapshot);
}

TEST(LogindPowerOff, RequestIsBuiltAndReadButNeverSent) {
  for (const auto& [flags, logindFlags] : {std::pair<std::uint32_t, qulonglong>{5, 0}, {1, 1}}) {
    SCOPED_TRACE(flags);
    const QDBusMessage request = platform::PowerOffRequest(flags);
    EXPECT_EQ(request.type(), QDBusMessage::MethodCallMessage);
    EXPECT_EQ(request.service(), "org.freedesktop.login1");
    EXPECT_EQ(request.path(), "/org/freedesktop/login1");
    EXPECT_EQ(request.interface(), "org.freedesktop.login1.Manager");
    EXPECT_EQ(request.member(), "PowerOffWithFlags");
    EXPECT_FALSE(request.isInteractiveAuthorizationAllowed());
    ASSERT_EQ(request.arguments().size(), 1);
    EXPECT_EQ(request.arguments()[0].metaType(), QMetaType::fromType<qulonglong>());
    EXPECT_EQ(request.arguments()[0].toULongLong(), logindFlags);

    EXPECT_NE(platform::PowerOffAccepted(request.createReply()), 0);
    EXPECT_EQ(platform::PowerOffAccepted(
                  request.createErrorReply(QDBusError::AccessDenied, "Interactive auth needed")),
              0);
    EXPECT_EQ(platform::PowerOffAccepted(request.createErrorReply(
                  QDBusError::ServiceUnknown, "The name org.freedesktop.login1 was not provided")),
              0);
  }
  EXPECT_EQ(platform::PowerOffAccepted(QDBusMessage()), 0);

  // A bus that cannot be reached refuses quietly; this one is no system bus.
  static int qtMessages = 0;
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString&) { ++qtMessages; });
  const QString name = "codepanel-unreachable";
  {
    const QDBusConnection nowhere =
        QDBusConnection::connectToBus("unix:path=/nonexistent/codepanel-bus", name);
    EXPECT_FALSE(nowhere.isConnected());
    EXPECT_EQ(platform::RequestPowerOff(nowhere, 5), 0);
  }
  QDBusConnection::disconnectFromBus(name);
  qInstallMessageHandler(previous);
  EXPECT_EQ(qtMessages, 0);
}

// Processes of this test named like desktop shells (copies of sleep), for the real walk. Tests of
// this kind take a lock across processes, so that a parallel run never sees another's children as
// foreign or ends them; and they skip when a foreign "explorer.exe" runs, which the walk would end.
class ShellProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path lock = fs::temp_directory_path() / "codepanel-explorer-exe-test.lock";
    m_lock = open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(m_lock, 0);
    ASSERT_EQ(flock(m_lock, LOCK_EX), 0);

    StandInRequest none;
    LinuxProcessControl system(none);
    const platform::SnapshotHandle snapshot = system.TakeSnapshot();
    ASSERT_NE(snapshot, platform::kInvalidSnapshot);
    for (const ProcessEntry& entry : Walk(system, snapshot)) {
      if (IsNamedExplorer(entry.szExeFile))
        GTEST_SKIP() << "process " << entry.th32ProcessID << " \"" << entry.szExeFile
                     << "\" is not ours and the walk would end it";
    }
    system.CloseSnapshot(snapshot);
    ASSERT_FALSE(m_dir.path.empty());
  }

  void TearDown() override {
    for (const pid_t child : m_children) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    if (m_lock >= 0)
      close(m_lock);  // releases the lock
  }

  static bool IsNamedExplorer(const std::string& name) {
    const std::size_t separator = name.find_last_of("\\/");
    return platform::SameNameIgnoringCase(
        separator == std::string::npos ? name : name.substr(separator + 1), "explorer.exe");
  }

  // Starts a copy of sleep under that file name, with its path as argv[0]; 0 on failure.
  pid_t Start(const std::string& fileName) {
    const fs::path program = m_dir.path / fileName;
    std::error_code error;
    if (!fs::copy_file("/bin/sleep", program, error))
      return 0;
    std::string path = program.string();
    std::string seconds = "30";
    char* argv[] = {path.data(), seconds.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, path.c_str(), nullptr, nullptr, argv, environ) != 0)
      return 0;
    m_children.push_back(child);
    // posix_spawn returns as soon as the child has left our memory, before the kernel has set up
    // its new arguments: until then /proc shows an empty command line.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (FirstArgument(child) != path) {
      if (std::chrono::steady_clock::now() >= deadline)
        return 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return child;
  }

  static std::string FirstArgument(pid_t process) {
    std::ifstream cmdline("/proc/" + std::to_string(process) + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(cmdline, first, '\0');
    return first;
  }

  // The child's wait status once it has ended within the limit; it is then no longer ours to end.
  std::optional<int> WaitForExit(pid_t child, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline)
        return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::erase(m_children, child);
    return status;
  }

  // Ends a child still running with SIGTERM; true when that, and nothing before it, ended it.
  bool WasStillRunning(pid_t child) {
    kill(child, SIGTERM);
    const std::optional<int> status = WaitForExit(child, std::chrono::seconds(2));
    return status && WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM;
  }

  TempDir m_dir;

 private:
  int m_lock = -1;
  std::vector<pid_t> m_children;
};

TEST_F(ShellProcesses, RealWalkEndsOnlyDesktopShellsBeforeTheRequest) {
  const pid_t shells[] = {Start("explorer.exe"), Start("Explorer.EXE")};
  const pid_t others[] = {Start("myexplorer.exe"), Start("explorer.exe2")};
  for (const pid_t child : {shells[0], shells[1], others[0], others[1]})
    ASSERT_NE(child, 0);

  StandInRequest request;
  std::vector<std::optional<int>> atRequest;
  request.onRequest = [&] {
    for (const pid_t shell : shells)
      atRequest.push_back(WaitForExit(shell, std::chrono::seconds(2)));
  };
  LinuxProcessControl system(request);
  EXPECT_EQ(ShutdownSystem(platform::EWX_SHUTDOWN | platform::EWX_FORCE, system), 1);

  ASSERT_EQ(request.requests.size(), 1u);
  EXPECT_EQ(request.requests[0], std::make_pair(std::uint32_t{5}, std::uint32_t{0}));
  ASSERT_EQ(atRequest.size(), 2u);
  for (const std::optional<int>& status : atRequest) {
    ASSERT_TRUE(status.has_value()) << "a desktop shell was still running at the request";
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGKILL);
  }
  for (const pid_t other : others)
    EXPECT_TRUE(WasStillRunning(other));
}

TEST_F(ShellProcesses, DryRunEndsNothingAndRequestsNothing) {
  const pid_t shell = Start("explorer.exe");
  ASSERT_NE(shell, 0);

  StandInRequest request;
  LinuxProcessControl system(request);
  std::ostringstream report;
  platform::DryRunProcessControl dryRun(system, report);
  EXPECT_NE(ShutdownSystem(platform::EWX_SHUTDOWN | platform::EWX_FORCE, dryRun), 0);

  EXPECT_TRUE(request.requests.empty());
  const std::string wouldEnd = "codepanel --no-power-off: would end process " +
                               std::to_string(shell) + " \"" +
                               (m_dir.path / "explorer.exe").string() + "\" with exit code 1\n";
  const std::string wouldRequest =
      "codepanel --no-power-off: would request a forced power-off (flags 5, reason 0)\n";
  EXPECT_NE(report.str().find(wouldEnd), std::string::npos) << report.str();
  EXPECT_TRUE(report.str().ends_with(wouldRequest)) << report.str();
  EXPECT_TRUE(WasStillRunning(shell));
}

}  // namespace
