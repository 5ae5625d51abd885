#include "tools/codeload/terminal_host.h"

#include <utility>

#include "platform/text/cp1252.h"

namespace codeload {

TerminalHost::TerminalHost(platform::Clock& clock, CodeKind kind, std::string code,
                           Confirmation confirmation, std::FILE* log, std::FILE* boxes,
                           std::FILE* answers)
    : m_clock(clock),
      m_kind(kind),
      m_code(std::move(code)),
      m_confirmation(confirmation),
      m_log(log),
      m_boxes(boxes),
      m_answers(answers) {}

std::string TerminalHost::CodeFieldText(CodeKind kind) {
  return kind == m_kind ? m_code : std::string();
}

BoxResult TerminalHost::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  m_boxes.WriteLine(platform::Cp1252ToUtf8(text));
  if (buttons == BoxButtons::YesNo) {
    if (Ask())
      return BoxResult::Yes;
    m_bDeclined = true;
    return BoxResult::No;
  }
  if (icon == BoxIcon::Information)
    m_bSucceeded = true;
  if (icon == BoxIcon::Error)
    m_bFailed = true;
  return BoxResult::Ok;
}

bool TerminalHost::Ask() {
  m_boxes.Write("[s/N] ");
  switch (m_confirmation) {
    case Confirmation::AssumeYes:
      m_boxes.WriteLine("s (--yes)");
      return true;
    case Confirmation::NoTerminal:
      m_boxes.WriteLine("N (no terminal to ask on; --yes confirms)");
      return false;
    case Confirmation::AskOnTerminal:
      break;
  }
  // The default button is No: only an answer that begins with s (si) or y (yes) confirms.
  const int first = std::fgetc(m_answers);
  int c = first;
  while (c != EOF && c != '\n')
    c = std::fgetc(m_answers);
  if (first == EOF)
    m_boxes.Write("\n");
  return first == 's' || first == 'S' || first == 'y' || first == 'Y';
}

std::uint32_t TerminalHost::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  m_bTimerRunning = true;
  m_nTimerId = id != 0 ? id : 1;
  m_nTimerStart = m_clock.TickCount();
  m_nTimerPeriod = periodMs;
  return m_nTimerId;
}

// There is only the one timer to stop.
void TerminalHost::StopTimer(std::uint32_t) {
  m_bTimerRunning = false;
}

void TerminalHost::AppendLog(const std::string& line) {
  m_log.WriteLine(platform::Cp1252ToUtf8(line));
}

void TerminalHost::Say(const std::string& line) {
  m_boxes.WriteLine(line);
}

int TerminalHost::ExitStatus() const {
  if (m_bDeclined)
    return 3;
  return m_bSucceeded && !m_bFailed ? 0 : 1;
}

}  // namespace codeload
