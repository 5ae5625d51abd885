// CPanelDlg on Windows: the operator panel as the system's own dialog, created from template 102
// by the dialog manager. It hosts the code download procedure: the procedure's tick is the
// dialog's timer 1 (SetTimer every 30 ms, WM_TIMER), its boxes are MessageBox calls owned by the
// panel, its six controls and its log (list 1007, through LB_* messages) are the dialog's.
//
// Fonts are copies of the dialog font's LOGFONT with another face, height and weight; colours come
// from WM_CTLCOLOR*; the icon goes to the window through WM_SETICON and is painted in the middle
// of the minimised window; the banner is bitmap 135, loaded by its picture control. Return and
// Escape are swallowed before the dialog manager sees them, so they never press a button or end
// the panel.
#pragma once

#include <optional>
#include <string>

#include "platform/clock/timer_resolution.h"
#include "platform/process/process_control.h"
#include "res/string_table.h"
#include "scanner/download_procedure.h"
// After the headers above: <windows.h> defines some of their constants' names as macros.
#include "panel/win32/touch_edit.h"
#include "panel/win32/win32_dialog.h"
// The host's MessageBox and the string table's LoadString are ours, not the system's A/W macros.
#undef MessageBox
#undef LoadString

namespace panel::win32 {

// The application's two last codes, Windows-1252 bytes, read into the fields at start and written
// back from them when the panel ends.
struct LastCodes {
  std::string& carton;
  std::string& leaflet;
};

// What the panel reaches outside itself.
struct PanelServices {
  platform::SerialDevices& devices;
  platform::Clock& clock;
  platform::ProcessControl& processes;
  DownloadRecorder* recorder = nullptr;
};

class CPanelDlg : public CWin32Dialog, private DownloadHost {
 public:
  CPanelDlg(LastCodes codes, PanelServices services);
  ~CPanelDlg() override;

  // Runs the panel modally; the two codes are written back when it ends.
  INT_PTR DoModal() { return CWin32Dialog::DoModal(nullptr); }

  // For benchmarks: the panel ends once it has been shown and drawn, and says so on stdout.
  void ExitAfterFirstFrame() { m_exitAfterFirstFrame = true; }

  // The log operations on list 1007.
  void ClearLog() override;
  void AppendLog(const std::string& text) override;

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslateMessage(MSG& message) override;
  void OnDestroy() override;
  void OnIdle() override;

 private:
  HBRUSH OnCtlColor(HDC dc, HWND control);
  void OnPaintMinimized();
  void OnExitToDesktop();
  void OnPowerOff();

  // DownloadHost
  std::string CodeFieldText(CodeKind kind) override;
  BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void StopTimer(std::uint32_t timerId) override;
  void EnableControl(ControlId control, bool enable) override;
  void SetFocus(ControlId control) override;

  LastCodes m_codes;
  platform::ProcessControl& m_processes;
  CDownloadProcedure m_download;
  std::optional<platform::FineTimerResolution> m_fineTimer;
  HICON m_hIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  HFONT m_hCodeFont = nullptr;
  HFONT m_hLabelFont = nullptr;
  CTouchEdit m_editCartonCode;
  CTouchEdit m_editLeafletCode;
  bool m_exitAfterFirstFrame = false;
};

}  // namespace panel::win32
