// The record every confirmed download hands to its recorder: one per download, after its outcome
// box and log lines, with the confirmed code, its port, the outcome box's text and the time from
// the operator's Yes to the end on the procedure's virtual clock. Refused and unconfirmed
// downloads leave none.
#include <functional>
#include <string>
#include <vector>

#include "download_fixture.h"
#include "res/string_table.h"

namespace {

using Pieces = std::vector<platform::FakeDevice::Piece>;

// The operator looks at the question this long before answering: not counted in the download.
constexpr std::uint32_t kThinkMs = 700;
// The outcome box stays open this long: the download ends when it closes.
constexpr std::uint32_t kReadMs = 2500;

class RecordTest : public DownloadTest {
 protected:
  RecordTest() {
    host.onBox = [this](const ShownBox& box) {
      if (box.buttons == BoxButtons::YesNo) {
        confirmedAt = clock.TickCount() + kThinkMs;
        clock.Advance(kThinkMs);
      } else {
        outcomeAt = clock.TickCount();
        clock.Advance(kReadMs);
      }
    };
    recorder.onRecord = [this] {
      logAtRecord = host.log;
      boxesAtRecord = host.boxes.size();
      busyAtRecord = procedure.IsBusy();
    };
  }

  std::uint32_t confirmedAt = 0;
  std::uint32_t outcomeAt = 0;
  std::vector<std::string> logAtRecord;
  std::size_t boxesAtRecord = 0;
  bool busyAtRecord = false;
};

TEST_F(RecordTest, EveryEndingOfAConfirmedDownloadIsRecordedOnceWithItsOutcome) {
  struct Case {
    const char* name;
    CodeKind kind;
    std::string code;
    std::function<void()> script;  // sets up the devices and the host
    unsigned outcomeText;
    bool loaded;
  };
  const Case cases[] = {
      {"carton loaded", CodeKind::Carton, "ABC123", [this] { Answer(com1); }, 140, true},
      {"leaflet loaded, a code with a space and high bytes", CodeKind::Leaflet, "LOT \xE0\x80",
       [this] { Answer(devices.Add("COM2")); }, 140, true},
      {"port held by another program", CodeKind::Carton, "HELD",
       [this] { devices.Add("COM1").SetHeld(true); }, 137, false},
      {"a code character not taken", CodeKind::Carton, "SHORT",
       [this] {
         platform::FakeDevice& device = devices.Add("COM1");
         Answer(device);
         device.ShortenWrite(7, 2);
       },
       138, false},
      {"receive error", CodeKind::Leaflet, "RXERR",
       [this] {
         platform::FakeDevice& device = devices.Add("COM2");
         Answer(device);
         device.RaiseErrors(kThinkMs + 85, platform::CE_RXPARITY);  // after the first command
       },
       139, false},
      {"the scanner says more than its reply", CodeKind::Carton, "MORE",
       [this] {
         Answer(devices.Add("COM1"), [](const std::string& reply) {
           return Pieces{{0, reply + "\r\n"}};
         });
       },
       139, false},
      {"no reply", CodeKind::Carton, "SILENT", [this] { devices.Add("COM1"); }, 132, false},
      {"the timer does not start", CodeKind::Leaflet, "NOTIMER", [this] { host.timerFails = true; },
       131, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder.records.clear();
    host.boxes.clear();
    host.timerFails = false;
    c.script();
    if (c.kind == CodeKind::Carton) {
      StartCarton(c.code);
    } else {
      host.leafletCode = c.code;
      procedure.OnSendLeafletCode();
    }
    RunToEnd();

    ASSERT_EQ(recorder.records.size(), 1u);
    const DownloadRecord& record = recorder.records[0];
    EXPECT_EQ(record.kind, c.kind);
    EXPECT_EQ(record.code, c.code);
    EXPECT_EQ(record.port, c.kind == CodeKind::Carton ? "COM1" : "COM2");
    EXPECT_EQ(record.outcomeText, c.outcomeText);
    EXPECT_EQ(record.loaded, c.loaded);
    // The text of the box the operator saw last, as it was shown.
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(record.outcome, host.boxes[1].text);
    EXPECT_EQ(record.outcome, res::LoadString(c.outcomeText));
    EXPECT_EQ(host.boxes[1].icon, c.loaded ? BoxIcon::Information : BoxIcon::Error);
    // From the Yes to the closing of the outcome box; the question's own time is not counted.
    EXPECT_EQ(record.durationMs, outcomeAt - confirmedAt + kReadMs);
    // Recorded after the box and the last log line; the finish tick may come later.
    EXPECT_EQ(boxesAtRecord, 2u);
    EXPECT_EQ(logAtRecord, host.log);
    EXPECT_EQ(host.log.back(), c.loaded
                                   ? "Procedura di scaricamento codice terminata correttamente."
                                   : "Procedura di scaricamento codice NON completata !");
    EXPECT_EQ(busyAtRecord, c.outcomeText != 131);
    EXPECT_FALSE(procedure.IsBusy());
  }
}

TEST_F(RecordTest, DurationCountsTicksPausesAndTheOpenBoxOnTheProceduresClock) {
  // The timer failure ends inside the start: only the box's time.
  host.timerFails = true;
  StartCarton("T");
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(outcomeAt, confirmedAt);
  EXPECT_EQ(recorder.records[0].durationMs, kReadMs);

  // A port that cannot be opened fails on the first tick, one period after the Yes.
  host.timerFails = false;
  com1.SetHeld(true);
  StartCarton("T");
  RunToEnd();
  ASSERT_EQ(recorder.records.size(), 2u);
  EXPECT_EQ(outcomeAt, confirmedAt + kTickPeriodMs);
  EXPECT_EQ(recorder.records[1].durationMs, kTickPeriodMs + kReadMs);

  // The scanner never answers: the reply wait's second passes one by one, then the timeout.
  com1.SetHeld(false);
  StartCarton("T");
  RunToEnd();
  ASSERT_EQ(recorder.records.size(), 3u);
  EXPECT_EQ(recorder.records[2].outcomeText, 132u);
  EXPECT_GT(outcomeAt - confirmedAt, kReplyTimeoutMs);
  EXPECT_EQ(recorder.records[2].durationMs, outcomeAt - confirmedAt + kReadMs);
}

TEST_F(RecordTest, DurationSurvivesTheClockWrappingAround) {
  platform::VirtualClock nearWrap(0xFFFFFFFFu - 100);
  FakeHost wrapHost;
  RecordingRecorder wrapRecorder;
  platform::FakeSerialDevices wrapDevices{nearWrap};
  wrapDevices.Add("COM1").SetHeld(true);
  CDownloadProcedure wrapped(wrapHost, wrapDevices, nearWrap, &wrapRecorder);
  wrapHost.cartonCode = "WRAP";
  wrapHost.onBox = [&](const ShownBox& box) {
    if (box.buttons != BoxButtons::YesNo)
      nearWrap.Advance(kReadMs);
  };
  wrapped.OnSendCartonCode();
  nearWrap.Advance(kTickPeriodMs);
  wrapped.OnTimer();  // fails to open, past the wrap
  ASSERT_EQ(wrapRecorder.records.size(), 1u);
  EXPECT_LT(nearWrap.TickCount(), 0xFFFFFFFFu - 100);
  EXPECT_EQ(wrapRecorder.records[0].durationMs, kTickPeriodMs + kReadMs);
}

TEST_F(RecordTest, RefusedUnconfirmedAndIgnoredStartsLeaveNoRecord) {
  Answer(com1);
  const struct {
    const char* name;
    std::string code;
    BoxResult answer;
  } cases[] = {
      {"empty code", "", BoxResult::Yes},
      {"code too long", std::string(32, 'A'), BoxResult::Yes},
      {"control byte", "AB\x1B", BoxResult::Yes},
      {"answered No", "ABC", BoxResult::No},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host.answer = c.answer;
    StartCarton(c.code);
    RunToEnd();
    EXPECT_TRUE(recorder.records.empty());
    EXPECT_FALSE(host.timerRunning);
  }

  // A press while a download runs starts nothing: the one download gives one record.
  host.answer = BoxResult::Yes;
  StartCarton("ABC");
  Tick();
  host.leafletCode = "OTHER";
  procedure.OnSendLeafletCode();
  procedure.OnSendCartonCode();
  RunToEnd();
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0].code, "ABC");
  EXPECT_TRUE(recorder.records[0].loaded);
}

TEST(DownloadRecorder, WithoutOneTheHostSeesExactlyWhatItSeesWithOne) {
  struct Run {
    platform::VirtualClock clock{5000};
    platform::FakeSerialDevices devices{clock};
    FakeHost host;
  };
  const auto download = [](Run& run, DownloadRecorder* recorder) {
    platform::FakeDevice& device = run.devices.Add("COM1");
    for (const auto& [command, answer] : kExchange)
      device.ReplyTo(command, {{0, answer}});
    CDownloadProcedure procedure(run.host, run.devices, run.clock, recorder);
    run.host.cartonCode = "ABC";
    procedure.OnSendCartonCode();
    for (int i = 0; i < 200 && run.host.timerRunning; ++i) {
      run.clock.Advance(kTickPeriodMs);
      procedure.OnTimer();
    }
    return device.AllWritten();
  };
  Run bare;
  Run recorded;
  RecordingRecorder recorder;
  const std::string bareWire = download(bare, nullptr);
  EXPECT_EQ(download(recorded, &recorder), bareWire);
  EXPECT_EQ(bare.host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
  EXPECT_EQ(recorded.host.events, bare.host.events);
  EXPECT_EQ(recorded.clock.TickCount(), bare.clock.TickCount());
  EXPECT_EQ(recorder.records.size(), 1u);
}

}  // namespace
