// CDownloadProcedure: loads one reference code into its scanner, one 30 ms timer tick at a time.
//
// A send button checks the code's length (1 to 31), asks for confirmation, clears the log and
// starts the tick. Each tick does the work of one state:
//
//   0 OpenPort -> 10 SendOpening <-> 20 AwaitOpening -> 100 PrepareCode -> 110 SendCodeChar (x32)
//     -> 120 SendLength -> 200 SelectClosing -> 210 SendClosing <-> 220 AwaitClosing -> 300 Done
//     -> -1 Finish
//
// Any failure in 0, 10, 20, 110, 120, 210 or 220 goes to -1 too. Every ending sets -1 before it
// shows its message box and writes its log lines after the box closes; the tick keeps arriving
// inside the box, so the finish step (close the port, stop the tick, enable the controls) may run
// while the box is still up. Nothing is ever retried. A confirmed download that has ended, its
// box closed and its log lines written, goes to the recorder when there is one.
//
//   OnSendCartonCode / OnSendLeafletCode   the two send buttons (COM1 / COM2)
//   OnTimer                                one tick
//   ClearLog / AppendLog                   the log on the host's list
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock/clock.h"
#include "scanner/download_host.h"
#include "scanner/download_record.h"
#include "scanner/scanner_steps.h"
#include "scanner/serial_port.h"

enum class ReplyResult { Complete, Pending, Failed };

// States of the procedure, with the values the timer handler switches on.
enum : std::int32_t {
  StateFinish = -1,
  StateOpenPort = 0,
  StateSendOpening = 10,
  StateAwaitOpening = 20,
  StatePrepareCode = 100,
  StateSendCodeChar = 110,
  StateSendLength = 120,
  StateSelectClosing = 200,
  StateSendClosing = 210,
  StateAwaitClosing = 220,
  StateDone = 300,
};

inline constexpr std::uint32_t kDownloadTimerId = 1;
inline constexpr std::uint32_t kTickPeriodMs = 30;
inline constexpr std::uint32_t kReplyTimeoutMs = 1000;
inline constexpr int kMinCodeLength = 1;
inline constexpr int kMaxCodeLength = 31;

class CDownloadProcedure {
 public:
  // With no recorder, nothing is recorded.
  CDownloadProcedure(DownloadHost& host, platform::SerialDevices& devices, platform::Clock& clock,
                     DownloadRecorder* recorder = nullptr);

  // Button handlers and the timer tick.
  void OnSendCartonCode() { StartDownload(CodeKind::Carton); }
  void OnSendLeafletCode() { StartDownload(CodeKind::Leaflet); }
  void OnTimer();

  bool IsBusy() const { return m_bBusy; }

  // The log operations on the host's list.
  void ClearLog();
  void AppendLog(const std::string& text);
  void AppendLog(unsigned stringId);

  std::int32_t m_nCodeKind = 0;
  bool m_bBusy = false;
  std::int32_t m_nState = StateOpenPort;
  std::int32_t m_nStep = 0;
  std::uint32_t m_nTimerId = 0;
  CSerialPort m_port;

 private:
  // Working record of the download in progress.
  struct WorkingRecord {
    std::uint32_t writeTime = 0;
    std::int32_t codeLength = 0;
    std::uint8_t code[100] = {};
    const ScannerStep* steps = nullptr;
    PortSettings settings = {};
    std::string confirmedCode;      // as the operator confirmed it, for the record
    std::uint32_t confirmTime = 0;  // when the operator answered Yes
  };

  void StartDownload(CodeKind kind);
  bool SendStepCommand(const ScannerStep* table);
  ReplyResult AwaitStepReply(const ScannerStep* table);
  bool SendCodeCharacter(const std::uint8_t* code);
  void ReportTimeout();
  // Ends the download: finish state first, then the box, then the log lines.
  void EndWith(unsigned boxText, unsigned logLine);
  // Hands the ended download to the recorder, if any: the last thing an ending does.
  void RecordEnding(unsigned boxText, bool loaded);
  void LoadCode();
  void EnableControls(bool enable);
  // Sends the NUL-terminated command in m_txBuffer and logs it; false after the failure report.
  bool WriteCommand(std::uint16_t length);
  void AwaitReplyTick(std::int32_t nextState);

  DownloadHost& m_host;
  platform::Clock& m_clock;
  DownloadRecorder* m_recorder;
  WorkingRecord m_work;
};
