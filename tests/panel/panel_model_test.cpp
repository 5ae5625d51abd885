// The panel's rules without any toolkit: its set-up values, what it does to the dialog on
// initialisation and destruction, the two ways out, the log as a list box is driven, and a
// download hosted through the view on virtual time, with boxes that keep the tick going as a
// modal box does.
#include "panel/panel_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "panel/panel_setup.h"
#include "platform/clock/clock.h"
#include "platform/process/process_control.h"
#include "platform/serial/fake_serial.h"
#include "tests/support/recording_processes.h"
#include "tests/support/recording_recorder.h"

namespace {

const std::string kExitQuestion =
    "Questa operazione chiude l'applicazione e consente l'accesso a Windows !";
const std::string kPowerOffQuestion =
    "Questa operazione chiude l'applicazione e spegne il sistema !";

std::string Join(std::span<const int> ids) {
  std::string text;
  for (const int id : ids) {
    if (!text.empty())
      text += ',';
    text += std::to_string(id);
  }
  return text;
}

class RecordingView : public PanelView {
 public:
  void CreatePanelFont(const PanelFont& font) override {
    calls.push_back(std::string("font ") + font.face + " " + std::to_string(font.height) + " " +
                    std::to_string(font.weight) + " on " + Join(font.controls));
  }
  void DeleteFonts() override { calls.push_back("delete fonts"); }
  void SetIcons() override { calls.push_back("icons"); }
  TouchField& CodeField(CodeKind kind) override {
    calls.push_back(kind == CodeKind::Carton ? "field carton" : "field leaflet");
    return kind == CodeKind::Carton ? carton : leaflet;
  }
  std::string GetText(int id) override { return texts[id]; }
  void SetText(int id, const std::string& text) override {
    texts[id] = text;
    calls.push_back("text " + std::to_string(id) + " '" + text + "'");
  }
  void EnableControl(int id, bool enable) override {
    calls.push_back((enable ? "enable " : "disable ") + std::to_string(id));
  }
  void SetFocus(int id) override { calls.push_back("focus " + std::to_string(id)); }
  BoxResult ShowBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
    boxes.push_back({text, icon, buttons});
    calls.push_back("box " + text.substr(0, text.find('\n')));
    // A modal box goes on dispatching the timer's ticks.
    while (timerRunning && whileBoxOpen)
      whileBoxOpen();
    if (buttons == BoxButtons::Ok)
      return BoxResult::Ok;
    if (answers.empty())
      return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Cancel;
    const BoxResult answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::uint32_t SetTimer(std::uint32_t id, std::uint32_t periodMs) override {
    calls.push_back("set timer " + std::to_string(id) + " " + std::to_string(periodMs));
    timerRunning = !timerFails;
    return timerFails ? 0 : id;
  }
  void KillTimer(std::uint32_t id) override {
    calls.push_back("kill timer " + std::to_string(id));
    timerRunning = false;
  }
  void ResetLog() override {
    log.clear();
    calls.push_back("reset log");
  }
  int LogCount() override { return static_cast<int>(log.size()); }
  void InsertLogLine(int index, const std::string& line) override {
    log.insert(log.begin() + index, line);
  }
  void SetLogTopIndex(int index) override { topIndex = index; }
  void EndDialog(int result) override { calls.push_back("end " + std::to_string(result)); }

  struct Box {
    std::string text;
    BoxIcon icon;
    BoxButtons buttons;
  };
  TouchField carton;
  TouchField leaflet;
  std::map<int, std::string> texts;
  std::vector<std::string> calls;
  std::vector<Box> boxes;
  std::vector<BoxResult> answers;
  std::vector<std::string> log;
  int topIndex = -1;
  bool timerFails = false;
  bool timerRunning = false;
  std::function<void()> whileBoxOpen;
};

class PanelModelTest : public ::testing::Test {
 protected:
  std::string cartonCode = "CARTON-1";
  std::string leafletCode = "LEAF \xE0\xA3";
  platform::VirtualClock clock;
  platform::FakeSerialDevices devices{clock};
  RecordingProcesses processes;
  RecordingRecorder recorder;
  RecordingView view;
  PanelModel model{view, {cartonCode, leafletCode}, {devices, clock, processes, &recorder}};
};

TEST(PanelSetup, FontsColoursRevisionAndTheMinimisedIcon) {
  EXPECT_STREQ(kLabelFont.face, "Tahoma");
  EXPECT_EQ(kLabelFont.height, 18);
  EXPECT_EQ(kLabelFont.weight, kDialogFontWeight);
  EXPECT_EQ(Join(kLabelFont.controls), "1005,1006");
  EXPECT_STREQ(kCodeFont.face, "Tahoma");
  EXPECT_EQ(kCodeFont.height, 20);
  EXPECT_EQ(kCodeFont.weight, 700);
  EXPECT_EQ(Join(kCodeFont.controls), "1003,1000,1004,1001");
  EXPECT_STREQ(kRevisionText, "rev. 1,0,0,3");

  const Rgb red{200, 0, 0};
  const Rgb blue{0, 0, 200};
  for (const int id : {1003, 1004})
    EXPECT_EQ(PanelTextColour(id), red) << id;
  for (const int id : {1005, 1006, 1007})
    EXPECT_EQ(PanelTextColour(id), blue) << id;
  for (const int id : {1000, 1001, 1008, 1009, 1010, 1011, -1, 0})
    EXPECT_EQ(PanelTextColour(id), std::nullopt) << id;
  EXPECT_EQ(kKeyboardTextBackground, (Rgb{255, 255, 255}));

  // (client - icon + 1) / 2, truncated toward zero also when the client is the smaller.
  EXPECT_EQ(MinimisedIconOrigin(100, 80, 32, 32), (IconOrigin{34, 24}));
  EXPECT_EQ(MinimisedIconOrigin(33, 32, 32, 32), (IconOrigin{1, 0}));
  EXPECT_EQ(MinimisedIconOrigin(20, 0, 32, 32), (IconOrigin{-5, -15}));
}

TEST_F(PanelModelTest, InitialisationSetsUpTheDialogInOrderAndDestructionTakesTheCodesBack) {
  model.OnInitDialog();
  EXPECT_EQ(view.calls, (std::vector<std::string>{
                            "font Tahoma 18 0 on 1005,1006",
                            "font Tahoma 20 700 on 1003,1000,1004,1001",
                            "text 1008 'rev. 1,0,0,3'",
                            "icons",
                            "field carton",
                            "field leaflet",
                            "text 1003 'CARTON-1'",
                            "text 1004 'LEAF \xE0\xA3'",
                        }));
  for (const TouchField* field : {&view.carton, &view.leaflet}) {
    EXPECT_EQ(field->m_format.m_nKind, TE_TEXT);
    EXPECT_EQ(field->m_format.m_nMaxLen, 31);
    EXPECT_EQ(field->m_format.m_cFill, '?');
    EXPECT_NE(field->m_value, 0u);
  }
  EXPECT_EQ(cartonCode, "CARTON-1") << "nothing goes back before the destruction";

  view.calls.clear();
  view.texts[1003] = "";
  view.texts[1004] = std::string(40, 'L');
  model.OnDestroy();
  EXPECT_EQ(cartonCode, "");
  EXPECT_EQ(leafletCode, std::string(40, 'L'));
  EXPECT_EQ(view.calls, std::vector<std::string>{"delete fonts"});
}

TEST_F(PanelModelTest, ExitEndsTheRunOnlyOnOkAndPowerOffAsksTheSystemWithoutEndingIt) {
  view.answers = {BoxResult::Cancel, BoxResult::Ok};
  model.OnExitToDesktop();
  EXPECT_EQ(view.calls, std::vector<std::string>{"box " + kExitQuestion});
  model.OnExitToDesktop();
  EXPECT_EQ(view.calls.back(), "end 0");
  ASSERT_EQ(view.boxes.size(), 2u);
  EXPECT_EQ(view.boxes[0].icon, BoxIcon::Question);
  EXPECT_EQ(view.boxes[0].buttons, BoxButtons::OkCancel);

  view.calls.clear();
  view.answers = {BoxResult::Cancel, BoxResult::Ok};
  model.OnPowerOff();
  EXPECT_TRUE(processes.requests.empty());
  model.OnPowerOff();
  EXPECT_EQ(view.calls,
            (std::vector<std::string>{"box " + kPowerOffQuestion, "box " + kPowerOffQuestion}));
  EXPECT_EQ(processes.requests,
            std::vector<std::uint32_t>{platform::EWX_SHUTDOWN | platform::EWX_FORCE});
  EXPECT_EQ(view.boxes.back().buttons, BoxButtons::OkCancel);
}

// Each line at the end, explicitly, whatever a sorted list would do, and brought to the top.
TEST_F(PanelModelTest, TheLogIsAppendedInOrderAndTheNewestLineBroughtToTheTop) {
  for (const std::string line : {"TX: b", "RX: a", "TX: c"})
    model.AppendLog(line);
  EXPECT_EQ(view.log, (std::vector<std::string>{"TX: b", "RX: a", "TX: c"}));
  EXPECT_EQ(view.topIndex, 2);
  model.AppendLog(141);
  EXPECT_EQ(view.log.back(), "Procedura di scaricamento codice NON completata !");
  EXPECT_EQ(view.topIndex, 3);
  model.ClearLog();
  EXPECT_TRUE(view.log.empty());
}

TEST_F(PanelModelTest, ARefusedCodeAsksNothingAndLeavesTheFocusOnItsField) {
  model.OnInitDialog();
  view.calls.clear();
  view.texts[1004] = "";
  model.OnSendLeafletCode();
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text,
            "Numero caratteri codice errato (richiesti [1..31]) !\nLa procedura di invio codice "
            "sar\xE0 annullata!");
  EXPECT_EQ(view.calls.back(), "focus 1004");
  EXPECT_TRUE(view.log.empty());
  EXPECT_TRUE(recorder.records.empty());
}

// A confirmed download to a port that denotes no device: the tick starts, the six controls are
// disabled, the first tick fails, and the finish step runs inside the failure's box.
TEST_F(PanelModelTest, ADownloadRunsOnTheViewsTimerControlsAndBoxes) {
  model.OnInitDialog();
  view.calls.clear();
  view.answers = {BoxResult::Yes};
  view.whileBoxOpen = [&] {
    clock.Advance(kTickPeriodMs);
    model.OnTimer();
  };
  model.OnSendCartonCode();
  EXPECT_TRUE(model.Download().IsBusy());
  EXPECT_EQ(view.calls.back(), "disable 1011");
  const std::vector<std::string> start(view.calls.begin(), view.calls.end());
  EXPECT_NE(std::find(start.begin(), start.end(), "set timer 1 30"), start.end());
  for (const int id : {1003, 1004, 1000, 1001, 1010, 1011})
    EXPECT_NE(std::find(start.begin(), start.end(), "disable " + std::to_string(id)), start.end())
        << id;

  view.calls.clear();
  clock.Advance(kTickPeriodMs);
  model.OnTimer();
  EXPECT_FALSE(model.Download().IsBusy());
  ASSERT_GE(view.calls.size(), 2u);
  EXPECT_EQ(view.calls[0].rfind("box ", 0), 0u);
  EXPECT_EQ(view.calls[1], "kill timer 1") << "the finish step runs inside the box";
  for (const int id : {1003, 1004, 1000, 1001, 1010, 1011}) {
    EXPECT_NE(std::find(view.calls.begin(), view.calls.end(), "enable " + std::to_string(id)),
              view.calls.end())
        << id;
  }
  ASSERT_GE(view.log.size(), 2u);
  EXPECT_EQ(view.log.back(), "Procedura di scaricamento codice NON completata !");
  EXPECT_EQ(view.topIndex, static_cast<int>(view.log.size()) - 1);
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0].code, "CARTON-1");
  EXPECT_FALSE(recorder.records[0].loaded);
}

TEST_F(PanelModelTest, ATimerThatCannotStartEndsTheDownloadWithItsBox) {
  model.OnInitDialog();
  view.texts[1003] = "X";
  view.answers = {BoxResult::Yes};
  view.timerFails = true;
  model.OnSendCartonCode();
  EXPECT_FALSE(model.Download().IsBusy());
  ASSERT_EQ(view.boxes.size(), 2u);
  EXPECT_EQ(view.boxes[1].text,
            "Impossibile avviare il timer!\nLa procedura di invio codice sar\xE0 annullata!");
  EXPECT_EQ(std::count_if(view.calls.begin(), view.calls.end(),
                          [](const std::string& call) { return call.rfind("disable", 0) == 0; }),
            0);
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0].outcomeText, 131u);
}

}  // namespace
