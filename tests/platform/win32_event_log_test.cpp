// The load record in the Windows event log, through a recording stand-in for RegisterEventSourceW,
// ReportEventW and DeregisterEventSource (wine keeps no event log): the source, the event's type
// by the record's outcome, its one text, the source kept across entries, and failures with their
// causes.
#include "platform/journal/win32_event_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanner/journal_fields.h"
#include "scanner/journal_recorder.h"

namespace {

struct Recorded {
  std::vector<std::wstring> sources;
  struct Event {
    HANDLE log;
    WORD type;
    WORD category;
    DWORD id;
    std::vector<std::wstring> strings;
    DWORD dataSize;
  };
  std::vector<Event> events;
  std::vector<HANDLE> deregistered;
  bool registerFails = false;
  bool reportFails = false;
};

Recorded* g_recorded = nullptr;
HANDLE const kLog = reinterpret_cast<HANDLE>(0x4C0);

HANDLE WINAPI FakeRegister(LPCWSTR server, LPCWSTR source) {
  EXPECT_EQ(server, nullptr) << "the local machine's log";
  g_recorded->sources.push_back(source);
  if (g_recorded->registerFails) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return kLog;
}

BOOL WINAPI FakeReport(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count,
                       DWORD dataSize, LPCWSTR* strings, LPVOID data) {
  EXPECT_EQ(user, nullptr);
  EXPECT_EQ(data, nullptr);
  Recorded::Event event{log, type, category, id, {}, dataSize};
  for (WORD i = 0; i < count; ++i)
    event.strings.push_back(strings[i]);
  g_recorded->events.push_back(event);
  if (g_recorded->reportFails) {
    SetLastError(ERROR_LOG_FILE_FULL);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FakeDeregister(HANDLE log) {
  g_recorded->deregistered.push_back(log);
  return TRUE;
}

class EventLogTest : public ::testing::Test {
 protected:
  EventLogTest() { g_recorded = &recorded; }
  ~EventLogTest() override { g_recorded = nullptr; }

  Recorded recorded;
  const platform::EventLogCalls calls{FakeRegister, FakeReport, FakeDeregister};
};

const std::string kLoaded = "Procedura di scaricamento codice terminata correttamente.";
const std::string kTimeout =
    "Timeout risposta da scanner!\nLa procedura di invio codice sar\xE0 annullata!";

TEST_F(EventLogTest, ALoadedAndAFailedLoadAsInformationAndErrorEventsWithTheirText) {
  {
    platform::EventLogJournal journal(calls);
    std::vector<std::string> said;
    JournalRecorder recorder(
        journal, [](const std::string& port) { return "dev-" + port; }, "operatore", "codepanel",
        [&](const std::string& line) { said.push_back(line); });
    recorder.Record({CodeKind::Carton, "ABC\xE0", "COM1", 140, kLoaded, true, 1482});
    recorder.Record({CodeKind::Leaflet, "L 1", "COM2", 132, kTimeout, false, 2514});
    EXPECT_TRUE(said.empty());
    EXPECT_TRUE(recorded.deregistered.empty()) << "the source is kept while the journal lives";
  }
  EXPECT_EQ(recorded.sources, std::vector<std::wstring>{L"codepanel"}) << "registered once";
  EXPECT_EQ(recorded.deregistered, std::vector<HANDLE>{kLog});
  ASSERT_EQ(recorded.events.size(), 2u);
  for (const Recorded::Event& event : recorded.events) {
    EXPECT_EQ(event.log, kLog);
    EXPECT_EQ(event.category, 0);
    EXPECT_EQ(event.id, platform::kLoadEventId);
    EXPECT_EQ(event.dataSize, 0u);
    ASSERT_EQ(event.strings.size(), 1u) << "the fields as one text";
  }
  EXPECT_EQ(recorded.events[0].type, EVENTLOG_INFORMATION_TYPE);
  EXPECT_EQ(recorded.events[0].strings[0],
            L"carton code \"ABC\u00E0\" loaded into COM1 (dev-COM1) by operatore in 1482 ms: "
            L"Procedura di scaricamento codice terminata correttamente.\r\n"
            L"CODEPANEL_KIND=carton\r\n"
            L"CODEPANEL_CODE=ABC\u00E0\r\n"
            L"CODEPANEL_PORT=COM1\r\n"
            L"CODEPANEL_DEVICE=dev-COM1\r\n"
            L"CODEPANEL_OUTCOME=Procedura di scaricamento codice terminata correttamente.\r\n"
            L"CODEPANEL_LOADED=yes\r\n"
            L"CODEPANEL_DURATION_MS=1482\r\n"
            L"CODEPANEL_USER=operatore");
  EXPECT_EQ(recorded.events[1].type, EVENTLOG_ERROR_TYPE);
  const std::wstring failed =
      L"leaflet code \"L<SPACE>1\" not loaded into COM2 (dev-COM2) by "
      L"operatore in 2514 ms: Timeout risposta da scanner! La procedura "
      L"di invio codice sar\u00E0 annullata!\r\n";
  EXPECT_EQ(recorded.events[1].strings[0].substr(0, failed.size()), failed);
}

TEST_F(EventLogTest, TheTypeFollowsThePriorityAndTheTextKeepsTheEntrysOrder) {
  const struct {
    const char* priority;
    WORD type;
  } cases[] = {
      {"PRIORITY=0", EVENTLOG_ERROR_TYPE},       {"PRIORITY=3", EVENTLOG_ERROR_TYPE},
      {"PRIORITY=4", EVENTLOG_INFORMATION_TYPE}, {"PRIORITY=6", EVENTLOG_INFORMATION_TYPE},
      {"PRIORITY=", EVENTLOG_INFORMATION_TYPE},  {"PRIORITY=33", EVENTLOG_INFORMATION_TYPE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.priority);
    EXPECT_EQ(platform::EventType({"MESSAGE=m", c.priority}), c.type);
  }
  EXPECT_EQ(platform::EventType({"MESSAGE=PRIORITY=3"}), EVENTLOG_INFORMATION_TYPE);
  // The message first wherever it stands; a value may hold '='; a field without one is no field.
  EXPECT_EQ(platform::EventText({"A_B=x=y", "SYSLOG_IDENTIFIER=codepanel", "MESSAGE=\xE2\x82\xAC 1",
                                 "junk", "PRIORITY=3", "C="}),
            L"\u20AC 1\r\nA_B=x=y\r\nC=");
}

TEST_F(EventLogTest, AnUnavailableLogIsRefusedWithItsCauseAndTriedAgainLater) {
  platform::EventLogJournal journal(calls);
  const std::vector<std::string> entry =
      JournalFields({CodeKind::Carton, "C", "COM1", 140, kLoaded, true, 10}, "COM1", "operatore");
  std::string cause;
  recorded.registerFails = true;
  EXPECT_FALSE(journal.Send(entry, cause));
  EXPECT_EQ(cause.rfind("event source codepanel: ", 0), 0u) << cause;
  EXPECT_GT(cause.size(), std::string("event source codepanel: ").size());
  EXPECT_TRUE(recorded.events.empty());

  recorded.registerFails = false;
  recorded.reportFails = true;
  cause.clear();
  EXPECT_FALSE(journal.Send(entry, cause));
  EXPECT_EQ(cause.rfind("Application event log: ", 0), 0u) << cause;
  EXPECT_EQ(recorded.sources.size(), 2u);

  recorded.reportFails = false;
  EXPECT_TRUE(journal.Send(entry, cause));
  EXPECT_EQ(recorded.sources.size(), 2u) << "the source registered before is kept";
  EXPECT_EQ(recorded.events.size(), 2u);
}

}  // namespace
