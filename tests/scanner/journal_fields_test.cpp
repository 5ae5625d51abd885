// The load record's fields, made once for every journal sink, and the recorder that sends them:
// the device and user it names, and a journal that cannot be reached told once.
#include "scanner/journal_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/journal/recording_journal.h"
#include "scanner/journal_recorder.h"

namespace {

const std::string kLoaded = "Procedura di scaricamento codice terminata correttamente.";
const std::string kTimerBox =
    "Impossibile avviare il timer!\nLa procedura di invio codice sar\xE0 annullata!";

TEST(JournalFields, EveryFieldOfTheEntryAsTheInspectorReadsIt) {
  struct Case {
    const char* name;
    DownloadRecord record;
    std::string device;
    std::string user;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"carton loaded",
       {CodeKind::Carton, "ABC123", "COM1", 140, kLoaded, true, 1482},
       "/dev/ttyUSB0",
       "operator",
       {"MESSAGE=carton code \"ABC123\" loaded into COM1 (/dev/ttyUSB0) by operator in 1482 ms: "
        "Procedura di scaricamento codice terminata correttamente.",
        "PRIORITY=6", "SYSLOG_IDENTIFIER=codepanel", "CODEPANEL_KIND=carton",
        "CODEPANEL_CODE=ABC123", "CODEPANEL_PORT=COM1", "CODEPANEL_DEVICE=/dev/ttyUSB0",
        "CODEPANEL_OUTCOME=Procedura di scaricamento codice terminata correttamente.",
        "CODEPANEL_LOADED=yes", "CODEPANEL_DURATION_MS=1482", "CODEPANEL_USER=operator"}},
      // Control bytes and the space by name, as the log shows them; letters above 7F as UTF-8,
      // the invisible ones by value; the box's line break joined by a space.
      {"leaflet not loaded, a code with control and high bytes",
       {CodeKind::Leaflet, "A\x1B\x7F\xE0 \x81\x80\xA3", "COM2", 131, kTimerBox, false, 0},
       "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0",
       "linea3",
       {"MESSAGE=leaflet code \"A<ESC><DEL>\xC3\xA0<SPACE><81>\xE2\x82\xAC\xC2\xA3\" not loaded "
        "into COM2 (/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0) by linea3 in 0 ms: "
        "Impossibile avviare il timer! La procedura di invio codice sar\xC3\xA0 annullata!",
        "PRIORITY=3", "SYSLOG_IDENTIFIER=codepanel", "CODEPANEL_KIND=leaflet",
        "CODEPANEL_CODE=A<ESC><DEL>\xC3\xA0<SPACE><81>\xE2\x82\xAC\xC2\xA3", "CODEPANEL_PORT=COM2",
        "CODEPANEL_DEVICE=/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0",
        "CODEPANEL_OUTCOME=Impossibile avviare il timer! La procedura di invio codice sar\xC3\xA0 "
        "annullata!",
        "CODEPANEL_LOADED=no", "CODEPANEL_DURATION_MS=0", "CODEPANEL_USER=linea3"}},
      // A port that denotes no device is named alone; the longest duration the clock can tell.
      {"no device behind the port",
       {CodeKind::Carton, "\"Q\"", "COM1", 132,
        "Timeout risposta da scanner!\nLa procedura di invio codice sar\xE0 annullata!", false,
        4294967295u},
       "",
       "1001",
       {"MESSAGE=carton code \"\"Q\"\" not loaded into COM1 by 1001 in 4294967295 ms: Timeout "
        "risposta da scanner! La procedura di invio codice sar\xC3\xA0 annullata!",
        "PRIORITY=3", "SYSLOG_IDENTIFIER=codepanel", "CODEPANEL_KIND=carton",
        "CODEPANEL_CODE=\"Q\"", "CODEPANEL_PORT=COM1", "CODEPANEL_DEVICE=",
        "CODEPANEL_OUTCOME=Timeout risposta da scanner! La procedura di invio codice sar\xC3\xA0 "
        "annullata!",
        "CODEPANEL_LOADED=no", "CODEPANEL_DURATION_MS=4294967295", "CODEPANEL_USER=1001"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JournalFields(c.record, c.device, c.user), c.fields);
  }
}

TEST(JournalRecorder, SendsOneEntryARecordAndTellsAnUnreachableJournalOnce) {
  platform::RecordingJournal journal;
  std::vector<std::string> askedFor;
  std::vector<std::string> said;
  JournalRecorder recorder(
      journal,
      [&](const std::string& port) {
        askedFor.push_back(port);
        return port == "COM2" ? "/dev/ttyUSB1" : "/dev/ttyS0";
      },
      "ops", "codeload", [&](const std::string& line) { said.push_back(line); });

  const DownloadRecord leaflet{CodeKind::Leaflet, "L1", "COM2", 140, kLoaded, true, 1500};
  recorder.Record(leaflet);
  ASSERT_EQ(journal.entries.size(), 1u);
  EXPECT_EQ(askedFor, std::vector<std::string>{"COM2"});
  EXPECT_EQ(journal.entries[0], JournalFields(leaflet, "/dev/ttyUSB1", "ops"));
  EXPECT_EQ(
      journal.entries[0][0],
      "MESSAGE=leaflet code \"L1\" loaded into COM2 (/dev/ttyUSB1) by ops in 1500 ms: " + kLoaded);
  EXPECT_TRUE(said.empty());

  // Every record is still offered; the cause is told with the first failure only.
  journal.failure = "connection refused";
  const DownloadRecord carton{CodeKind::Carton, "C1", "COM1", 131, kTimerBox, false, 2500};
  for (int i = 0; i < 3; ++i)
    recorder.Record(carton);
  EXPECT_EQ(journal.sends, 4);
  EXPECT_EQ(journal.entries.size(), 1u);
  EXPECT_EQ(said, std::vector<std::string>{
                      "codeload: cannot write to the system journal: connection refused"});

  journal.failure.clear();
  recorder.Record(carton);
  ASSERT_EQ(journal.entries.size(), 2u);
  EXPECT_EQ(journal.entries[1][5], "CODEPANEL_PORT=COM1");
  EXPECT_EQ(journal.entries[1][6], "CODEPANEL_DEVICE=/dev/ttyS0");
  EXPECT_EQ(said.size(), 1u);
}

}  // namespace
