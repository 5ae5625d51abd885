// A host for the download procedure that records what it is asked to do, for the fuzz target:
// the boxes (with how many log lines stood when each opened), the log, the state of the six
// controls and of the one timer. A box lets a scripted number of ticks through while it is open,
// as the panel's modal boxes do.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scanner/download_host.h"

class RecordingHost final : public DownloadHost {
 public:
  struct Box {
    std::string text;
    BoxIcon icon;
    BoxButtons buttons;
    std::size_t logLinesBefore;
  };

  std::string CodeFieldText(CodeKind kind) override { return code[static_cast<int>(kind)]; }
  BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
    boxes.push_back({text, icon, buttons, log.size()});
    for (int i = 0; i < ticksPerBox && runningTimer != 0; ++i)
      tick();
    return buttons == BoxButtons::YesNo ? answer : BoxResult::Ok;
  }
  std::uint32_t StartTimer(std::uint32_t, std::uint32_t periodMs) override {
    ++timerStarts;
    timerPeriod = periodMs;
    if (timerFails)
      return 0;
    runningTimer = 7;  // unlike the id asked for, so that stopping by the wrong one shows
    return runningTimer;
  }
  void StopTimer(std::uint32_t timerId) override {
    if (timerId == runningTimer)
      runningTimer = 0;
  }
  void EnableControl(ControlId control, bool enable) override { enabled[control] = enable; }
  void SetFocus(ControlId) override {}
  void ClearLog() override { log.clear(); }
  void AppendLog(const std::string& line) override { log.push_back(line); }

  bool AllControls(bool state) const {
    for (const ControlId control :
         {ControlId::CartonCode, ControlId::LeafletCode, ControlId::SendCarton,
          ControlId::SendLeaflet, ControlId::Exit, ControlId::PowerOff}) {
      const auto it = enabled.find(control);
      if ((it == enabled.end() ? true : it->second) != state)
        return false;
    }
    return true;
  }

  // Script.
  std::string code[2];
  BoxResult answer = BoxResult::Yes;
  bool timerFails = false;
  int ticksPerBox = 0;
  std::function<void()> tick;

  // Record.
  std::vector<Box> boxes;
  std::vector<std::string> log;
  std::map<ControlId, bool> enabled;  // a control never touched counts as enabled
  std::uint32_t runningTimer = 0;
  int timerStarts = 0;
  std::uint32_t timerPeriod = 0;
};
