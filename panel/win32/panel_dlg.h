// CPanelDlg on Windows: the operator panel as the system's own dialog, created by the dialog
// manager from template 102, its messages routed to the panel's rules (panel/panel_model.h), which
// host the code download procedure. The tick is the dialog's timer 1 (SetTimer every 30 ms,
// WM_TIMER); the boxes are MessageBox calls owned by the panel, whose own loop keeps dispatching
// WM_TIMER, so a download's finish step runs while its result box is open; the log is list 1007
// driven by LB_* messages.
//
// Fonts are copies of the dialog font's LOGFONT with another face, height and weight; colours come
// from WM_CTLCOLOR*; the icon goes to the window through WM_SETICON and is painted in the middle
// of the minimised window; the banner is bitmap 135, loaded by its picture control. Return and
// Escape key-downs are swallowed before IsDialogMessage sees them, so they never press a button
// or end the panel.
//
//   ExitPanelAfterFirstFrame()   for benchmarks: the next panel ends once shown and drawn
#pragma once

#include <string>

#include "panel/panel_model.h"
#include "res/string_table.h"
// After the shared headers: <windows.h> defines some of their names as macros.
#include "panel/win32/touch_edit.h"
#include "panel/win32/win32_dialog.h"

namespace panel::win32 {

void ExitPanelAfterFirstFrame();

class CPanelDlg : public CWin32Dialog, private PanelView {
 public:
  CPanelDlg(LastCodes codes, PanelServices services);
  ~CPanelDlg() override;

  // Runs the panel modally, then its destroy handler.
  INT_PTR DoModal();

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslateMessage(MSG& message) override;
  void OnIdle() override;
  void OnDestroy() override;

 private:
  HBRUSH OnCtlColor(HDC dc, HWND control);
  void OnPaintMinimized();

  // PanelView
  void CreatePanelFont(const PanelFont& font) override;
  void DeleteFonts() override;
  void SetIcons() override;
  TouchField& CodeField(CodeKind kind) override;
  std::string GetText(int id) override;
  void SetText(int id, const std::string& text) override;
  void EnableControl(int id, bool enable) override;
  void SetFocus(int id) override;
  BoxResult ShowBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::uint32_t SetTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void KillTimer(std::uint32_t id) override;
  void ResetLog() override;
  int LogCount() override;
  void InsertLogLine(int index, const std::string& line) override;
  void SetLogTopIndex(int index) override;
  void EndDialog(int result) override { CWin32Dialog::EndDialog(result); }

  HICON m_hIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  HFONT m_hCodeFont = nullptr;
  HFONT m_hLabelFont = nullptr;
  CTouchEdit m_editCartonCode;
  CTouchEdit m_editLeafletCode;
  PanelModel m_model;  // the download's state, step and serial port among the panel's rules
  bool m_exitAfterFirstFrame = false;
};

}  // namespace panel::win32
