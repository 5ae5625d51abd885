// The /proc walk that finds who else holds a device, on prepared trees: each process a folder with
// fd links to real device nodes (/dev/null, /dev/zero, a pseudo-terminal's slave, /dev/ptmx, and
// as root nodes made elsewhere) and fdinfo files as the kernel writes them. Real processes are in
// posix_serial_test.
#include "platform/serial/device_holders.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/file_helpers.h"
#include "tests/support/pty_pair.h"
#include "tests/support/run_unprivileged.h"

namespace {

namespace fs = std::filesystem;
using platform::DeviceHolder;
using platform::FindOtherHolder;

constexpr pid_t kSelf = 100;
constexpr const char* kNull = "/dev/null";
constexpr const char* kZero = "/dev/zero";
constexpr const char* kPtmx = "/dev/ptmx";

struct FakeFd {
  std::string target;  // what the descriptor has open
  std::string fdinfo;  // its fdinfo file; none when empty
};

struct FakeProcess {
  std::string name;  // the folder's name: a pid, or "self" and the like
  std::string comm;  // none when empty
  std::vector<FakeFd> fds;
  bool hasFdFolder = true;  // false for a process that ended while the walk went on
};

struct stat DeviceOf(const std::string& path) {
  struct stat node {};
  EXPECT_EQ(::stat(path.c_str(), &node), 0) << path;
  return node;
}

// fdinfo of a master, as the kernel writes it.
std::string MasterInfo(const std::string& index) {
  return "pos:\t0\nflags:\t02100002\nmnt_id:\t24\nino:\t90\ntty-index:\t" + index + "\n";
}

class DeviceHoldersTest : public test_support::ConfigFolderTest {
 protected:
  // A /proc of the processes given, in a folder of its own.
  std::string MakeProc(const std::string& folder, const std::vector<FakeProcess>& processes) {
    const fs::path root = fs::path(m_dir) / folder;
    fs::create_directories(root);
    for (const FakeProcess& process : processes) {
      const fs::path dir = root / process.name;
      fs::create_directories(dir / "fdinfo");
      if (!process.comm.empty())
        test_support::WriteBytes(dir / "comm", process.comm + "\n");
      if (!process.hasFdFolder)
        continue;
      fs::create_directories(dir / "fd");
      for (std::size_t fd = 0; fd < process.fds.size(); ++fd) {
        const std::string number = std::to_string(fd);
        fs::create_symlink(process.fds[fd].target, dir / "fd" / number);
        if (!process.fds[fd].fdinfo.empty())
          test_support::WriteBytes(dir / "fdinfo" / number, process.fds[fd].fdinfo);
      }
    }
    return root.string();
  }
};

using test_support::RunUnprivileged;

TEST_F(DeviceHoldersTest, FindsTheProcessThatHoldsTheDevice) {
  test_support::PtyPair pty;
  ASSERT_TRUE(pty.IsOpen());
  const std::string slave = pty.SlavePath();
  const std::string index = slave.substr(slave.rfind('/') + 1);
  const std::string otherIndex = std::to_string(std::stoi(index) + 1);
  const struct stat null = DeviceOf(kNull);
  const struct stat slaveDevice = DeviceOf(slave);

  struct Case {
    const char* what;
    struct stat device;
    std::vector<FakeProcess> processes;
    std::optional<pid_t> pid;  // the holder expected; none when none should be found
    std::string command;
  };
  const Case cases[] = {
      {"nobody holds it", null, {{"200", "bash", {{kZero, ""}, {kPtmx, MasterInfo("0")}}}}, {}, ""},
      {"another process holds it among other descriptors",
       null,
       {{"150", "bash", {{kZero, ""}}}, {"200", "agetty", {{kZero, ""}, {kZero, ""}, {kNull, ""}}}},
       200,
       "agetty"},
      {"only this process holds it", null, {{"100", "codeload", {{kNull, ""}}}}, {}, ""},
      {"folders that are no processes",
       null,
       {{"self", "codeload", {{kNull, ""}}},
        {"12x", "x", {{kNull, ""}}},
        {"net", "", {{kNull, ""}}}},
       {},
       ""},
      // A master of some pair changes nothing for a device that is no pseudo-terminal.
      {"a device that is no pseudo-terminal",
       null,
       {{"200", "minicom", {{kPtmx, MasterInfo(index)}, {kNull, ""}}}},
       200,
       "minicom"},
      {"the slave without its master",
       slaveDevice,
       {{"300", "minicom", {{slave, ""}}}},
       300,
       "minicom"},
      {"the slave and its master: the far end",
       slaveDevice,
       {{"300", "scanner-sim", {{kPtmx, MasterInfo(index)}, {slave, ""}}}},
       {},
       ""},
      {"the slave and its master, the master last",
       slaveDevice,
       {{"300", "scanner-sim", {{slave, ""}, {kNull, ""}, {kPtmx, MasterInfo(index)}}}},
       {},
       ""},
      {"the slave and the master of another pair",
       slaveDevice,
       {{"300", "tmux", {{kPtmx, MasterInfo(otherIndex)}, {slave, ""}}}},
       300,
       "tmux"},
      {"the master alone",
       slaveDevice,
       {{"300", "scanner-sim", {{kPtmx, MasterInfo(index)}}}},
       {},
       ""},
      // Without the pair's name there is no telling, and a simulator must not be turned away.
      {"the slave and a master that names no pair",
       slaveDevice,
       {{"300", "scanner-sim", {{kPtmx, "pos:\t0\nflags:\t02\n"}, {slave, ""}}}},
       {},
       ""},
      {"processes that ended or closed descriptors meanwhile",
       null,
       {{"150", "gone", {}, false},
        {"160", "closed", {{"/nonexistent/codepanel-fd", ""}}},
        {"170", "", {{kNull, ""}}}},
       170,
       ""},
  };
  int folder = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string root = MakeProc("proc" + std::to_string(folder++), c.processes);
    const std::optional<DeviceHolder> holder = FindOtherHolder(c.device, kSelf, root);
    ASSERT_EQ(holder.has_value(), c.pid.has_value());
    if (holder) {
      EXPECT_EQ(holder->pid, *c.pid);
      EXPECT_EQ(holder->command, c.command);
    }
  }
  EXPECT_FALSE(FindOtherHolder(null, kSelf, m_dir + "/no-proc-here"));
}

// A chroot or a container with a devpts of its own has its own /dev/pts/N, with the very st_rdev of
// ours but on another file system: its holder holds another terminal. A real device's node made
// elsewhere (a container's own /dev) is the same device all the same. Nodes of both kinds are made
// here with mknod, which needs root.
TEST_F(DeviceHoldersTest, TellsAPseudoTerminalOfAnotherDevptsFromOurs) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to make device nodes (mknod)";
  test_support::PtyPair pty;
  ASSERT_TRUE(pty.IsOpen());
  const struct stat slave = DeviceOf(pty.SlavePath());
  const struct stat null = DeviceOf(kNull);
  const std::string otherPts = m_dir + "/other-devpts-slave";
  const std::string otherNull = m_dir + "/container-null";
  ASSERT_EQ(::mknod(otherPts.c_str(), S_IFCHR | 0600, slave.st_rdev), 0);
  ASSERT_EQ(::mknod(otherNull.c_str(), S_IFCHR | 0600, null.st_rdev), 0);
  ASSERT_NE(DeviceOf(otherPts).st_dev, slave.st_dev);

  const std::string root = MakeProc("proc", {{"300", "dpkg", {{otherPts, ""}}}});
  EXPECT_FALSE(FindOtherHolder(slave, kSelf, root).has_value());
  const std::string both = MakeProc(
      "both", {{"300", "dpkg", {{otherPts, ""}}}, {"400", "minicom", {{pty.SlavePath(), ""}}}});
  const std::optional<DeviceHolder> holder = FindOtherHolder(slave, kSelf, both);
  ASSERT_TRUE(holder.has_value());
  EXPECT_EQ(holder->pid, 400);
  const std::string container = MakeProc("container", {{"500", "agetty", {{otherNull, ""}}}});
  EXPECT_EQ(FindOtherHolder(null, kSelf, container).value_or(DeviceHolder{}).pid, 500);
}

TEST_F(DeviceHoldersTest, PassesOverProcessesThatThisAccountMayNotSee) {
  // The tree must be open to the unprivileged account; the descriptor folders of 150 and 250 are
  // closed to it, as another user's are in /proc.
  fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  const struct stat null = DeviceOf(kNull);
  // Made in both orders, so that the walk meets a closed folder before the visible holder.
  const std::string closedFirst = MakeProc(
      "closed-first", {{"150", "agetty", {{kNull, ""}}}, {"200", "minicom", {{kNull, ""}}}});
  const std::string closedLast = MakeProc(
      "closed-last", {{"200", "minicom", {{kNull, ""}}}, {"250", "agetty", {{kNull, ""}}}});
  const std::string allClosed = MakeProc("all-closed", {{"150", "agetty", {{kNull, ""}}}});
  for (const std::string& fdFolder :
       {closedFirst + "/150/fd", closedLast + "/250/fd", allClosed + "/150/fd"}) {
    fs::permissions(fdFolder, fs::perms::none);
  }

  EXPECT_TRUE(RunUnprivileged([&] {
    for (const std::string& root : {closedFirst, closedLast}) {
      const std::optional<DeviceHolder> holder = FindOtherHolder(null, kSelf, root);
      if (!holder || holder->pid != 200 || holder->command != "minicom")
        return false;
    }
    // Whoever may hold it unseen, the device counts as free.
    return !FindOtherHolder(null, kSelf, allClosed).has_value();
  }));
}

}  // namespace
