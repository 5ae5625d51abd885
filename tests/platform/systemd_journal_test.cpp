// The journal backend against the real systemd-journald: an entry sent is read back with
// journalctl, field by field; and, in a private mount namespace where the journal's socket is
// missing or served by nobody, the send fails with its cause instead of vanishing.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/journal/journal.h"
#include "platform/journal/user_name.h"
#include "scanner/journal_fields.h"
#include "tests/support/journal_reader.h"

namespace {

using namespace std::chrono_literals;

// A code no earlier run has sent: the process and the moment.
std::string UniqueMarker() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Appended piece by piece: g++ 12 at -O2 warns falsely (-Wrestrict) on "J" + std::string.
  std::string marker = "J";
  marker += std::to_string(::getpid());
  marker += '-';
  marker += std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count() %
                           100000000);
  return marker;
}

TEST(SystemdJournal, AnEntrySentIsReadBackWithEveryField) {
  if (const std::string absence = test_support::JournalAbsence(); !absence.empty())
    GTEST_SKIP() << absence;
  const std::string marker = UniqueMarker();
  const DownloadRecord record{
      CodeKind::Leaflet,
      marker + "\xE0",
      "COM2",
      131,
      "Impossibile avviare il timer!\nLa procedura di invio codice sar\xE0 annullata!",
      false,
      2530};
  const std::string user = platform::EffectiveUserName();
  const std::vector<std::string> fields = JournalFields(record, "/dev/ttyUSB1", user);
  std::string cause;
  ASSERT_TRUE(platform::SystemJournal().Send(fields, cause)) << cause;

  const std::string code = marker + "\xC3\xA0";
  const std::vector<std::string> entries =
      test_support::ReadCodepanelEntries("CODEPANEL_CODE=" + code, 5s);
  ASSERT_EQ(entries.size(), 1u) << "the entry did not come back from journalctl";
  std::cout << "journal entry: " << entries[0] << "\n";
  const std::string expected[][2] = {
      {"MESSAGE", "leaflet code \"" + code + "\" not loaded into COM2 (/dev/ttyUSB1) by " + user +
                      " in 2530 ms: Impossibile avviare il timer! La procedura di invio codice "
                      "sar\xC3\xA0 annullata!"},
      {"PRIORITY", "3"},
      {"SYSLOG_IDENTIFIER", "codepanel"},
      {"CODEPANEL_KIND", "leaflet"},
      {"CODEPANEL_CODE", code},
      {"CODEPANEL_PORT", "COM2"},
      {"CODEPANEL_DEVICE", "/dev/ttyUSB1"},
      {"CODEPANEL_OUTCOME",
       "Impossibile avviare il timer! La procedura di invio codice sar\xC3\xA0 annullata!"},
      {"CODEPANEL_LOADED", "no"},
      {"CODEPANEL_DURATION_MS", "2530"},
      {"CODEPANEL_USER", user},
      {"_UID", std::to_string(::geteuid())},
      {"_PID", std::to_string(::getpid())},
  };
  for (const auto& [name, value] : expected) {
    EXPECT_NE(entries[0].find(test_support::JsonMember(name, value)), std::string::npos)
        << name << " in " << entries[0];
  }
  // The backend's own source position says nothing of the download.
  EXPECT_EQ(entries[0].find("\"CODE_FILE\""), std::string::npos) << entries[0];
}

// Run in a forked child with its own mount namespace, where a fresh /run hides the journal:
// the cause of each failed send, one per line, on the pipe.
void SendWithoutJournal(int out) {
  const auto report = [out](const std::string& line) {
    const std::string text = line + "\n";
    (void)!::write(out, text.data(), text.size());
  };
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("none", "/run", "tmpfs", 0, nullptr) != 0) {
    report(std::string("skip: ") + std::strerror(errno));
    return;
  }
  const std::vector<std::string> fields = {"MESSAGE=nowhere", "SYSLOG_IDENTIFIER=codepanel"};
  std::string cause;
  report(platform::SystemJournal().Send(fields, cause) ? "sent" : cause);

  // A socket left behind by a journal that stopped: there, but nobody reads it.
  ::mkdir("/run/systemd", 0755);
  ::mkdir("/run/systemd/journal", 0755);
  const int left = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, "/run/systemd/journal/socket");
  if (::bind(left, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    report(std::string("skip: bind: ") + std::strerror(errno));
    return;
  }
  ::close(left);
  cause.clear();
  report(platform::SystemJournal().Send(fields, cause) ? "sent" : cause);
}

TEST(SystemdJournal, AJournalThatCannotBeReachedFailsWithItsCause) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "hiding the journal in a private mount namespace needs root";
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeEnds[0]);
    SendWithoutJournal(pipeEnds[1]);
    ::_exit(0);
  }
  ::close(pipeEnds[1]);
  std::string said;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
    said.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  if (said.rfind("skip: ", 0) == 0)
    GTEST_SKIP() << "no private mount namespace here: " << said;
  EXPECT_EQ(said,
            "/run/systemd/journal/socket: no such file or directory\n"
            "connection refused\n");
}

}  // namespace
