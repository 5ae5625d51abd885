// codeload --journal end to end: the real loader against the scanner simulator, its record read
// back from the real system journal with journalctl; a run without --journal leaves none; and a
// journal that cannot be reached is told once while the code is loaded all the same.
#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/journal_reader.h"
#include "tests/tools/child_process.h"

namespace {

using namespace std::chrono_literals;
using test_support::JsonMember;
using tools_test::Codeload;
using tools_test::Contains;
using tools_test::Outcome;
using tools_test::ScannerSim;
using tools_test::SplitLines;

const std::string kCompleted = "Procedura di scaricamento codice terminata correttamente.";
const std::string kOpenFailed =
    "Impossibile aprire dispositivo di comunicazione seriale! La procedura di invio codice "
    "sar\u00E0 annullata!";

// Codes no earlier run has sent: the process, the moment and a letter.
std::string Marker(char letter) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Appended piece by piece: g++ 12 at -O2 warns falsely (-Wrestrict) on std::string + std::string.
  std::string marker(1, letter);
  marker += std::to_string(::getpid());
  marker += '-';
  marker +=
      std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 10000000);
  return marker;
}

std::string UserName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry != nullptr ? entry->pw_name : std::to_string(::geteuid());
}

// The value of a numeric field in one JSON line, -1 when it is not there.
long NumberField(const std::string& entry, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  const std::size_t at = entry.find(key);
  if (at == std::string::npos)
    return -1;
  return std::stol(entry.substr(at + key.size()));
}

TEST(CodeloadJournal, EachConfirmedRunWithJournalLeavesItsRecord) {
  if (const std::string absence = test_support::JournalAbsence(); !absence.empty())
    GTEST_SKIP() << absence;
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  const std::string user = UserName();

  const std::string unrecorded = Marker('U');
  Outcome run = Codeload({"--port", "COM1=" + sim.Path(), "--yes", "carton", unrecorded});
  ASSERT_EQ(run.status, 0) << run.err;
  sim.LinesUntil("code: ", 3s);

  const std::string loaded = Marker('L');
  run = Codeload({"--journal", "--port", "COM1=" + sim.Path(), "--yes", "carton", loaded});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SplitLines(run.out).back(), kCompleted);
  EXPECT_FALSE(Contains(run.err, "system journal")) << run.err;
  std::vector<std::string> entries =
      test_support::ReadCodepanelEntries("CODEPANEL_CODE=" + loaded, 5s);
  ASSERT_EQ(entries.size(), 1u) << "no record of the loaded code in the journal";
  std::cout << "journal entry: " << entries[0] << "\n";
  const long duration = NumberField(entries[0], "CODEPANEL_DURATION_MS");
  // The success box comes on the 47th tick after the Yes, the ticks 30 ms apart at the least;
  // and the download cannot last longer than the whole run.
  EXPECT_GE(duration, 47 * 30);
  EXPECT_LE(duration, static_cast<long>(run.seconds * 1000) + 1);
  const std::string fields[][2] = {
      {"MESSAGE", "carton code \"" + loaded + "\" loaded into COM1 (" + sim.Path() + ") by " +
                      user + " in " + std::to_string(duration) + " ms: " + kCompleted},
      {"PRIORITY", "6"},
      {"SYSLOG_IDENTIFIER", "codepanel"},
      {"CODEPANEL_KIND", "carton"},
      {"CODEPANEL_PORT", "COM1"},
      {"CODEPANEL_DEVICE", sim.Path()},
      {"CODEPANEL_OUTCOME", kCompleted},
      {"CODEPANEL_LOADED", "yes"},
      {"CODEPANEL_USER", user},
      {"_COMM", "codeload"},
  };
  for (const auto& [name, value] : fields)
    EXPECT_TRUE(Contains(entries[0], JsonMember(name, value))) << name << " in " << entries[0];

  // A port that leads nowhere: the failure is recorded, at err priority.
  const std::string failed = Marker('F');
  run = Codeload(
      {"--journal", "--port", "COM2=/nonexistent/codeload-journal", "--yes", "leaflet", failed});
  ASSERT_EQ(run.status, 1) << run.err;
  entries = test_support::ReadCodepanelEntries("CODEPANEL_CODE=" + failed, 5s);
  ASSERT_EQ(entries.size(), 1u);
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"PRIORITY", "3"},
           {"CODEPANEL_KIND", "leaflet"},
           {"CODEPANEL_PORT", "COM2"},
           {"CODEPANEL_DEVICE", "/nonexistent/codeload-journal"},
           {"CODEPANEL_OUTCOME", kOpenFailed},
           {"CODEPANEL_LOADED", "no"}}) {
    EXPECT_TRUE(Contains(entries[0], JsonMember(name, value))) << name << " in " << entries[0];
  }
  EXPECT_TRUE(Contains(entries[0], "\"MESSAGE\":\"leaflet code \\\"" + failed +
                                       "\\\" not loaded into COM2 (/nonexistent/codeload-journal)"))
      << entries[0];

  // The run without --journal came first; the later records are there, so it would be too.
  EXPECT_TRUE(test_support::ReadCodepanelEntries("CODEPANEL_CODE=" + unrecorded, 0ms).empty());
}

// In a mount namespace of its own with an empty /run, codeload finds no journal socket.
TEST(CodeloadJournal, AnUnreachableJournalIsToldOnceAndTheCodeStillLoads) {
  if (::geteuid() != 0 || ::access("/usr/bin/unshare", X_OK) != 0)
    GTEST_SKIP() << "hiding the journal needs root and unshare(1)";
  ScannerSim sim;
  ASSERT_FALSE(sim.Path().empty());
  const Outcome run = tools_test::RunToEnd({"/usr/bin/unshare", "--mount", "--", "/bin/sh", "-c",
                                            "mount -t tmpfs none /run && exec \"$0\" \"$@\"",
                                            tools_test::kCodeloadBinary, "--journal", "--port",
                                            "COM1=" + sim.Path(), "--yes", "carton", "NOJOURNAL"});
  if (run.status != 0 && (Contains(run.err, "unshare:") || Contains(run.err, "mount:")))
    GTEST_SKIP() << "no private mount namespace here: " << run.err;
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> log = SplitLines(run.out);
  EXPECT_EQ(log.size(), 44u);
  EXPECT_EQ(log.back(), kCompleted);
  const std::string line =
      "codeload: cannot write to the system journal: /run/systemd/journal/socket: no such file "
      "or directory\n";
  EXPECT_TRUE(Contains(run.err, kCompleted + "\n" + line)) << run.err;
  EXPECT_EQ(run.err.find(line), run.err.rfind(line)) << run.err;
  EXPECT_EQ(sim.LinesUntil("code: ", 3s).back(), "code: NOJOURNAL");
}

}  // namespace
