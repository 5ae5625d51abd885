// TerminalHost: the download procedure's host on a terminal, for the command-line loader.
//
// The log goes to standard output, one line at a time and written at once, so that a reader sees
// the exchange as it happens; a reader that goes away ends the log, never the download (see
// LineWriter). Message boxes and the loader's own notices go to standard error; OK boxes return
// at once and the YesNo confirmation is asked on the terminal, or answered Yes in advance by
// --yes. Texts are Windows-1252 inside and UTF-8 on the terminal. The timer is a flag with its
// period and start time: the caller's tick loop does the ticking.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/clock/clock.h"
#include "scanner/download_host.h"
#include "tools/codeload/line_writer.h"

namespace codeload {

// How a YesNo box is answered.
enum class Confirmation {
  AssumeYes,  // --yes: Yes without asking
  AskOnTerminal,
  NoTerminal,  // nobody to ask: No
};

class TerminalHost final : public DownloadHost {
 public:
  // kind and code: the field that holds the code (Windows-1252 bytes); the other one is empty.
  TerminalHost(platform::Clock& clock, CodeKind kind, std::string code, Confirmation confirmation,
               std::FILE* log = stdout, std::FILE* boxes = stderr, std::FILE* answers = stdin);

  std::string CodeFieldText(CodeKind kind) override;
  BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void StopTimer(std::uint32_t timerId) override;
  void EnableControl(ControlId, bool) override {}
  void SetFocus(ControlId) override {}
  void ClearLog() override {}
  void AppendLog(const std::string& line) override;

  // A line of the loader's own (UTF-8) on the message boxes' stream.
  void Say(const std::string& line);

  bool TimerRunning() const { return m_bTimerRunning; }
  std::uint32_t TimerStartedAt() const { return m_nTimerStart; }
  std::uint32_t TimerPeriod() const { return m_nTimerPeriod; }

  // 0 when the success box was shown, 3 when the confirmation was refused, 1 otherwise.
  int ExitStatus() const;

 private:
  bool Ask();

  platform::Clock& m_clock;
  CodeKind m_kind;
  std::string m_code;
  Confirmation m_confirmation;
  LineWriter m_log;
  LineWriter m_boxes;
  std::FILE* m_answers;

  bool m_bTimerRunning = false;
  std::uint32_t m_nTimerId = 0;
  std::uint32_t m_nTimerStart = 0;
  std::uint32_t m_nTimerPeriod = 0;

  bool m_bSucceeded = false;
  bool m_bFailed = false;
  bool m_bDeclined = false;
};

}  // namespace codeload
