#include "scanner/download_procedure.h"

#include <algorithm>
#include <cstring>

#include "res/string_table.h"
#include "scanner/comm_log.h"

namespace {

struct KindRow {
  ControlId field;
  unsigned confirmation;
  unsigned startLine;
  const ScannerStep* opening;
  const ScannerStep* closing;
};

const KindRow& RowOf(std::int32_t kind) {
  static const KindRow kRows[2] = {
      {ControlId::CartonCode, 130, 135, kCartonOpeningSteps, kCartonClosingSteps},
      {ControlId::LeafletCode, 149, 150, kLeafletOpeningSteps, kLeafletClosingSteps},
  };
  return kRows[kind == static_cast<std::int32_t>(CodeKind::Leaflet) ? 1 : 0];
}

constexpr ControlId kControls[] = {ControlId::CartonCode, ControlId::LeafletCode,
                                   ControlId::SendCarton, ControlId::SendLeaflet,
                                   ControlId::Exit,       ControlId::PowerOff};

constexpr std::size_t kMaxCodeTaken = 98;
constexpr unsigned kControlByteRefusal = 151;
// A failed read is retried on the next pass; only one that fails pass after pass ends the wait.
constexpr int kFailedReadsInARow = 3;
constexpr std::uint32_t kReplyPassPauseMs = 1000;
// One byte of the receive buffer is kept for the NUL after the received text.
constexpr std::uint16_t kMaxReplyRead = kRxBufferSize - 1;

// Puts a value in place of the first occurrence of a placeholder. The value is never read as a
// format, so a '%' in a code stays as it is.
std::string ReplaceFirst(std::string text, std::string_view placeholder, std::string_view value) {
  const auto at = text.find(placeholder);
  if (at != std::string::npos)
    text.replace(at, placeholder.size(), value);
  return text;
}

bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

bool TailMatchesIgnoringCase(const std::uint8_t* received, std::size_t n, const char* expected,
                             std::size_t e) {
  const auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  const std::uint8_t* tail = received + (n - e);
  for (std::size_t i = 0; i < e; ++i) {
    if (lower(tail[i]) != lower(static_cast<std::uint8_t>(expected[i])))
      return false;
  }
  return true;
}

}  // namespace

CDownloadProcedure::CDownloadProcedure(DownloadHost& host, platform::SerialDevices& devices,
                                       platform::Clock& clock, DownloadRecorder* recorder)
    : m_port(devices, clock), m_host(host), m_clock(clock), m_recorder(recorder) {}

void CDownloadProcedure::ClearLog() {
  m_host.ClearLog();
}

void CDownloadProcedure::AppendLog(const std::string& text) {
  m_host.AppendLog(text);
}

void CDownloadProcedure::AppendLog(unsigned stringId) {
  AppendLog(res::LoadString(stringId));
}

void CDownloadProcedure::StartDownload(CodeKind kind) {
  if (m_bBusy)
    return;
  const KindRow& row = RowOf(static_cast<std::int32_t>(kind));

  const std::string code = m_host.CodeFieldText(kind);
  const auto length = code.size();
  if (length < kMinCodeLength || length > kMaxCodeLength) {
    std::string text = res::LoadString(133);
    text = ReplaceFirst(text, "%i", std::to_string(kMinCodeLength));
    text = ReplaceFirst(text, "%i", std::to_string(kMaxCodeLength));
    m_host.MessageBox(text, BoxIcon::Error, BoxButtons::Ok);
    m_host.SetFocus(row.field);
    return;
  }

  // An ESC would start a command inside the code and DEL is the padding byte; CR or TAB would
  // not show in the confirmation. Only a hand-edited settings file or a command line brings them.
  if (std::any_of(code.begin(), code.end(), IsControlByte)) {
    m_host.MessageBox(res::LoadString(kControlByteRefusal), BoxIcon::Error, BoxButtons::Ok);
    m_host.SetFocus(row.field);
    return;
  }

  const std::string question = ReplaceFirst(res::LoadString(row.confirmation), "%s", code);
  if (m_host.MessageBox(question, BoxIcon::Question, BoxButtons::YesNo) != BoxResult::Yes)
    return;
  m_work.confirmTime = m_clock.TickCount();
  m_work.confirmedCode = code;

  m_nState = StateOpenPort;
  ClearLog();
  AppendLog(kLogSeparator);
  AppendLog(row.startLine);
  m_nCodeKind = static_cast<std::int32_t>(kind);

  m_nTimerId = m_host.StartTimer(kDownloadTimerId, kTickPeriodMs);
  if (m_nTimerId == 0) {
    m_host.MessageBox(res::LoadString(131), BoxIcon::Error, BoxButtons::Ok);
    AppendLog(136);
    AppendLog(141);
    RecordEnding(131, false);
    return;
  }
  m_bBusy = true;
  EnableControls(false);
}

void CDownloadProcedure::EnableControls(bool enable) {
  for (const ControlId control : kControls)
    m_host.EnableControl(control, enable);
}

void CDownloadProcedure::OnTimer() {
  const KindRow& row = RowOf(m_nCodeKind);
  switch (m_nState) {
    case StateOpenPort:
      m_port.Reset();
      m_work.settings = {m_nCodeKind, 0, 0, 1, 0};
      m_work.steps = row.opening;
      LoadCode();
      if (m_port.Open(m_work.settings)) {
        m_nStep = 0;
        m_nState = StateSendOpening;
      } else {
        EndWith(137, 142);
      }
      break;
    case StateSendOpening:
      if (m_work.steps[m_nStep].command == nullptr) {
        m_nState = StatePrepareCode;
      } else if (SendStepCommand(m_work.steps)) {
        m_nState = StateAwaitOpening;
        m_work.writeTime = m_clock.TickCount();
      }
      break;
    case StateAwaitOpening:
      AwaitReplyTick(StateSendOpening);
      break;
    case StatePrepareCode:
      m_nStep = 0;
      m_port.Purge(PURGE_BOTH);
      m_nState = StateSendCodeChar;
      break;
    case StateSendCodeChar:
      if (m_nStep < static_cast<std::int32_t>(std::strlen(reinterpret_cast<char*>(m_work.code)))) {
        SendCodeCharacter(m_work.code);
      } else {
        m_nState = StateSendLength;
      }
      break;
    case StateSendLength: {
      m_port.Purge(PURGE_TRANSMIT);
      // The fields are disabled while a download runs, so the length is the one checked at the
      // start; the bound only keeps the table index safe.
      const auto& command = kLengthCommands[std::min(m_work.codeLength, kCodePositions)];
      std::memcpy(m_port.m_txBuffer, command.data(), command.size());
      if (m_port.Write(4)) {
        AppendLog("TX: " + RenderBytes(m_port.m_txBuffer));
        m_nState = StateSelectClosing;
      } else {
        EndWith(138, 143);
      }
      break;
    }
    case StateSelectClosing:
      m_work.steps = row.closing;
      m_nStep = 0;
      m_nState = StateSendClosing;
      [[fallthrough]];
    case StateSendClosing:
      if (m_work.steps[m_nStep].command == nullptr) {
        m_nState = StateDone;
      } else if (SendStepCommand(m_work.steps)) {
        m_nState = StateAwaitClosing;
        m_work.writeTime = m_clock.TickCount();
      }
      break;
    case StateAwaitClosing:
      AwaitReplyTick(StateSendClosing);
      break;
    case StateDone:
      m_nState = StateFinish;
      m_host.MessageBox(res::LoadString(140), BoxIcon::Information, BoxButtons::Ok);
      AppendLog(144);
      RecordEnding(140, true);
      break;
    case StateFinish:
      m_port.Close();
      m_host.StopTimer(m_nTimerId);
      m_bBusy = false;
      EnableControls(true);
      break;
    default:
      break;
  }
}

void CDownloadProcedure::AwaitReplyTick(std::int32_t nextState) {
  switch (AwaitStepReply(m_work.steps)) {
    case ReplyResult::Complete:
      m_nState = nextState;
      break;
    case ReplyResult::Pending:
      if (static_cast<std::uint32_t>(m_clock.TickCount() - m_work.writeTime) > kReplyTimeoutMs) {
        ReportTimeout();
      }
      break;
    case ReplyResult::Failed:
      break;  // the download has already ended with its own report
  }
}

void CDownloadProcedure::LoadCode() {
  const std::string text = m_host.CodeFieldText(static_cast<CodeKind>(m_nCodeKind));
  std::memset(m_work.code, 0, sizeof m_work.code);
  std::memcpy(m_work.code, text.data(), std::min(text.size(), kMaxCodeTaken));
  m_work.codeLength = static_cast<std::int32_t>(std::strlen(reinterpret_cast<char*>(m_work.code)));
  for (std::int32_t i = m_work.codeLength; i < kCodePositions; ++i)
    m_work.code[i] = 0x7F;
  m_work.code[kCodePositions] = 0;
}

bool CDownloadProcedure::SendStepCommand(const ScannerStep* table) {
  const char* command = table[m_nStep].command;
  if (command == nullptr)
    return false;
  m_port.Purge(PURGE_BOTH);
  const std::size_t length = std::strlen(command);
  std::memcpy(m_port.m_txBuffer, command, length + 1);
  return WriteCommand(static_cast<std::uint16_t>(length));
}

bool CDownloadProcedure::SendCodeCharacter(const std::uint8_t* code) {
  m_port.Purge(PURGE_TRANSMIT);
  const auto& position = kPositionCommands[static_cast<std::size_t>(m_nStep)];
  std::memcpy(m_port.m_txBuffer, position.data(), position.size());
  m_port.m_txBuffer[3] = code[m_nStep];
  m_port.m_txBuffer[4] = 0;
  if (!WriteCommand(4))
    return false;
  ++m_nStep;
  return true;
}

bool CDownloadProcedure::WriteCommand(std::uint16_t length) {
  if (!m_port.Write(length)) {
    EndWith(138, 143);
    return false;
  }
  AppendLog("TX: " + RenderBytes(m_port.m_txBuffer));
  return true;
}

ReplyResult CDownloadProcedure::AwaitStepReply(const ScannerStep* table) {
  const char* reply = table[m_nStep].reply;
  if (reply == nullptr) {
    ++m_nStep;
    return ReplyResult::Complete;
  }
  std::size_t expected = std::strlen(reply);
  bool matched = false;
  int failedReads = 0;
  for (bool firstPass = true;; firstPass = false) {
    if (!firstPass)
      m_clock.Sleep(kReplyPassPauseMs);
    std::uint16_t n = 0;
    if (!m_port.BytesWaiting(n)) {
      EndWith(139, 145);
      return ReplyResult::Failed;
    }
    if (n < expected) {
      if (!matched)
        return ReplyResult::Pending;
      ++m_nStep;
      return ReplyResult::Complete;
    }
    // Whatever does not fit stays queued and is judged on the next pass.
    n = std::min(n, kMaxReplyRead);
    m_port.m_rxPos = 0;  // each pass's bytes stand at the start of the buffer
    if (!m_port.Read(n)) {
      if (++failedReads == kFailedReadsInARow) {
        EndWith(139, 145);
        return ReplyResult::Failed;
      }
      continue;
    }
    failedReads = 0;
    m_port.m_rxBuffer[n] = 0;
    // After a match any further byte means the scanner said more than its reply.
    if (matched || !TailMatchesIgnoringCase(m_port.m_rxBuffer, n, reply, expected)) {
      EndWith(139, 146);
      return ReplyResult::Failed;
    }
    AppendLog("RX: " + RenderBytes(m_port.m_rxBuffer));
    matched = true;
    if (n == expected) {
      ++m_nStep;
      return ReplyResult::Complete;
    }
    expected = 1;
  }
}

void CDownloadProcedure::ReportTimeout() {
  EndWith(132, 134);
}

void CDownloadProcedure::EndWith(unsigned boxText, unsigned logLine) {
  m_nState = StateFinish;
  m_host.MessageBox(res::LoadString(boxText), BoxIcon::Error, BoxButtons::Ok);
  AppendLog(logLine);
  AppendLog(141);
  RecordEnding(boxText, false);
}

void CDownloadProcedure::RecordEnding(unsigned boxText, bool loaded) {
  if (m_recorder == nullptr)
    return;
  DownloadRecord record;
  record.kind = static_cast<CodeKind>(m_nCodeKind);
  record.code = m_work.confirmedCode;
  // The port row the open step takes is the kind's: COM1 for carton, COM2 for leaflet.
  record.port = kPortNames[m_nCodeKind];
  record.outcomeText = boxText;
  record.outcome = res::LoadString(boxText);
  record.loaded = loaded;
  record.durationMs = m_clock.TickCount() - m_work.confirmTime;  // wraps around like the clock
  m_recorder->Record(record);
}
