// scanner-sim end to end on its pseudo-terminal: the paths --link leaves alone, the code it shows,
// what it says when a download ends without its closing exchange, and what it logs when stopped.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/child_process.h"

namespace {

using namespace std::chrono_literals;
using tools_test::Contains;
using tools_test::Outcome;
using tools_test::ScannerSim;

const std::string kLeftOpen =
    "download ended without its closing exchange: the scanner is left in programming mode";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string LinkTarget(const std::string& path) {
  std::error_code failed;
  return std::filesystem::read_symlink(path, failed).string();
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// A folder of its own for each test, removed with everything in it.
class Folder {
 public:
  Folder() {
    char pattern[] = "/tmp/scanner-sim-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr)
      m_path = pattern;
  }
  ~Folder() {
    if (!m_path.empty())
      std::filesystem::remove_all(m_path);
  }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }
  bool Made() const { return !m_path.empty(); }

 private:
  std::string m_path;
};

// The writes of a download of code, as the panel makes them.
std::vector<std::string> DownloadWrites(const std::string& code) {
  const std::string letters = "DEFGHIJKLMNOPQRSTUVWXYZabcdefghi";
  std::vector<std::string> writes = {"\x1B[C", "\x1B[B"};
  for (std::size_t i = 0; i < letters.size(); ++i)
    writes.push_back(std::string("\x1BN") + letters[i] + (i < code.size() ? code[i] : '\x7F'));
  writes.push_back(std::string("\x1BNC") + static_cast<char>(0x20 + code.size()));
  writes.push_back("\x1BIA ");
  writes.push_back("\x1B[A");
  return writes;
}

// A client on the simulator's device, the line open from construction to Close.
class Client {
 public:
  explicit Client(const std::string& device)
      : m_fd(open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;
  ~Client() { Close(); }

  bool Send(const std::vector<std::string>& writes) {
    bool sent = m_fd >= 0;
    for (const std::string& bytes : writes)
      sent = sent && write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return sent;
  }
  void Close() {
    if (m_fd >= 0)
      close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd;
};

bool SendAndClose(const std::string& device, const std::vector<std::string>& writes) {
  Client client(device);
  return client.Send(writes);
}

std::vector<std::string> Head(std::vector<std::string> writes, std::size_t n) {
  writes.resize(n);
  return writes;
}

TEST(SimEndToEnd, LinkNeverReplacesAPathThatExists) {
  Folder folder;
  ASSERT_TRUE(folder.Made());
  const std::string file = folder / "ttyS0";
  std::ofstream(file) << "a real port";
  ScannerSim first({"--link", folder / "first"});
  ASSERT_FALSE(first.Path().empty());
  ASSERT_EQ(LinkTarget(folder / "first"), first.Path());
  std::filesystem::create_symlink(file, folder / "to-port");
  std::filesystem::create_symlink(folder / "nothing", folder / "dangling");

  struct Case {
    const char* name;
    std::string path;
    std::string target;  // for a link, what it points to
  };
  const Case cases[] = {
      {"a file", file, ""},
      {"a link to a real port", folder / "to-port", file},
      {"a link to nothing", folder / "dangling", folder / "nothing"},
      {"another simulator's link", folder / "first", first.Path()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = tools_test::RunToEnd({tools_test::kScannerSimBinary, "--link", c.path}, -1,
                                             std::chrono::seconds(5));
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, c.path)) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(LinkTarget(c.path), c.target);
  }
  EXPECT_EQ(ReadBytes(file), "a real port");

  // The first simulator still answers through its link.
  ASSERT_TRUE(SendAndClose(folder / "first", DownloadWrites("STILL")));
  const std::vector<std::string> lines = first.LinesUntil("code: ", 3s);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "code: STILL");

  // A link it made itself goes when it stops; the others stay.
  {
    ScannerSim second({"--link", folder / "second"});
    ASSERT_FALSE(second.Path().empty());
    EXPECT_EQ(LinkTarget(folder / "second"), second.Path());
  }
  EXPECT_FALSE(Exists(folder / "second"));
  EXPECT_TRUE(Exists(folder / "first"));
  EXPECT_TRUE(Exists(folder / "to-port"));
  EXPECT_TRUE(Exists(folder / "dangling"));
}

TEST(SimEndToEnd, ConflictingOptionsAreAUsageError) {
  const Outcome run = tools_test::RunToEnd(
      {tools_test::kScannerSimBinary, "--silent", "--wrong-reply"}, -1, std::chrono::seconds(5));
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, "--silent and --wrong-reply cannot be combined")) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(SimEndToEnd, CodeShowsControlBytesByName) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  struct Case {
    std::string code;
    std::string shown;
  };
  const Case cases[] = {
      {"A\x1B\x7F"
       "B",
       "code: A<ESC><DEL>B"},
      {"\t\xA3 1", "code: <TAB>\u00A3<SPACE>1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    ASSERT_TRUE(SendAndClose(sim.Path(), DownloadWrites(c.code)));
    const std::vector<std::string> lines = sim.LinesUntil("code: ", 3s);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.shown);
  }
}

TEST(SimEndToEnd, SaysWhenADownloadEndsWithoutItsClosingExchange) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  const std::vector<std::string> whole = DownloadWrites("WHOLE");

  // The client goes away after eight code positions, once the simulator has them all.
  Client cut(sim.Path());
  ASSERT_TRUE(cut.Send(Head(whole, 10)));
  std::vector<std::string> lines = sim.LinesUntil("RX: <ESC>NK", 3s);
  // Two frames with their replies, and eight positions.
  ASSERT_EQ(lines.size(), 2u * 2u + 8u);
  EXPECT_EQ(lines.back(), "RX: <ESC>NK<DEL>");
  EXPECT_EQ(sim.LinesUntil("download ended", 300ms), std::vector<std::string>{});
  cut.Close();
  EXPECT_EQ(sim.LinesUntil("download ended", 3s), std::vector<std::string>{kLeftOpen});

  // A new opening before the closing: said before the opening's own line. (Each client here
  // closes only once the simulator has had all it sent, which a pseudo-terminal passes on
  // asynchronously.)
  std::vector<std::string> writes = Head(whole, 6);
  writes.insert(writes.end(), whole.begin(), whole.end());
  Client again(sim.Path());
  ASSERT_TRUE(again.Send(writes));
  lines = sim.LinesUntil("code: ", 3s);
  again.Close();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "code: WHOLE");
  const auto told = std::find(lines.begin(), lines.end(), kLeftOpen);
  ASSERT_NE(told, lines.end());
  EXPECT_EQ(told - lines.begin(), 6 + 2);  // after six frames and the two replies
  ASSERT_NE(told + 1, lines.end());
  EXPECT_EQ(*(told + 1), "RX: <ESC>[C");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kLeftOpen), 1);

  // A download that went through, then a client that only opens and closes the line: nothing
  // to say.
  ASSERT_TRUE(SendAndClose(sim.Path(), {}));
  EXPECT_EQ(sim.LinesUntil("download ended", 300ms), std::vector<std::string>{});
}

// Whether the process has stopped (state T in /proc/PID/stat), which a SIGSTOP only asks for.
bool Stopped(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text(std::istreambuf_iterator<char>(stat), {});
  const std::size_t state = text.rfind(") ");
  return state != std::string::npos && state + 2 < text.size() && text[state + 2] == 'T';
}

// A script stops the simulator once its client has ended and then reads the simulator's log: the
// frames and the close that came before the signal must be in it, though the simulator finds all
// three at once. Held still (SIGSTOP) while they come, it cannot have read any of them before.
TEST(SimEndToEnd, LogsWhatCameBeforeItWasStopped) {
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  ASSERT_TRUE(sim.Signal(SIGSTOP));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!Stopped(sim.Pid()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(Stopped(sim.Pid()));
  ASSERT_TRUE(SendAndClose(sim.Path(), Head(DownloadWrites("STOP"), 3)));
  ASSERT_TRUE(sim.Signal(SIGTERM));
  ASSERT_TRUE(sim.Signal(SIGCONT));
  std::vector<std::string> lines = sim.LinesUntil("no such line", 5s);
  EXPECT_EQ(sim.Reap(), 0);
  std::erase_if(lines, [](const std::string& line) { return line.starts_with("TX: "); });
  EXPECT_EQ(lines,
            (std::vector<std::string>{"RX: <ESC>[C", "RX: <ESC>[B", "RX: <ESC>NDS", kLeftOpen}));
}

}  // namespace
