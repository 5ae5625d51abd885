// A host for the download procedure that records everything it is asked to do, on virtual time.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scanner/download_host.h"

struct ShownBox {
  std::string text;
  BoxIcon icon;
  BoxButtons buttons;
};

class FakeHost : public DownloadHost {
 public:
  std::string CodeFieldText(CodeKind kind) override {
    return kind == CodeKind::Carton ? cartonCode : leafletCode;
  }
  BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
    boxes.push_back({text, icon, buttons});
    events.push_back("box " + text.substr(0, text.find('\n')));
    if (onBox)
      onBox(boxes.back());
    // A modal box keeps dispatching timer messages, as the panel's does.
    if (timerRunning && whileBoxOpen)
      whileBoxOpen();
    return buttons == BoxButtons::YesNo ? answer : BoxResult::Ok;
  }
  std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override {
    timerStarts.push_back({id, periodMs});
    if (timerFails)
      return 0;
    timerRunning = true;
    events.push_back("timer start");
    return 7;  // an identifier unlike the requested id, to see which one is stopped
  }
  void StopTimer(std::uint32_t timerId) override {
    stoppedTimers.push_back(timerId);
    timerRunning = false;
    events.push_back("timer stop");
  }
  void EnableControl(ControlId control, bool enable) override {
    events.push_back((enable ? "enable " : "disable ") + std::to_string(static_cast<int>(control)));
  }
  void SetFocus(ControlId control) override {
    events.push_back("focus " + std::to_string(static_cast<int>(control)));
  }
  void ClearLog() override { log.clear(); }
  void AppendLog(const std::string& line) override {
    log.push_back(line);
    events.push_back("log " + line);
  }

  std::string cartonCode;
  std::string leafletCode;
  BoxResult answer = BoxResult::Yes;
  bool timerFails = false;
  bool timerRunning = false;
  std::function<void()> whileBoxOpen;
  // Called as every box opens, before it is answered: a test may let time pass in it.
  std::function<void(const ShownBox&)> onBox;

  std::vector<ShownBox> boxes;
  std::vector<std::string> log;
  std::vector<std::string> events;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> timerStarts;
  std::vector<std::uint32_t> stoppedTimers;
};
