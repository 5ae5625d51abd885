// CKeyboardDlg on Windows: the on-screen keyboard (dialog 129) as the system's own dialog,
// created by the dialog manager from the template; its rules are the shared KeyboardModel
// (panel/keyboard_model.h). SHIFT and CAPS are push-like automatic check boxes (BM_GETCHECK,
// BM_SETCHECK); the text strip 1048 is drawn on a white brush (WM_CTLCOLORSTATIC).
//
// While open it takes every physical key before the dialog manager: Return is ENTER, Escape is
// ESC, Backspace is BACK, Tab does nothing, and each WM_CHAR goes to OnKey as its Windows-1252
// code, so no focused key is ever pressed by Space or Return.
#pragma once

#include "panel/keyboard_model.h"
// After the shared headers: <windows.h> defines some of their names as macros.
#include "panel/win32/win32_dialog.h"

namespace panel::win32 {

class CKeyboardDlg : public CWin32Dialog, private KeyboardHost {
 public:
  // The keyboard edits *value as described by *format; both stay the caller's.
  CKeyboardDlg(TouchValue* value, TouchFormat* format);
  ~CKeyboardDlg() override;

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslateMessage(MSG& message) override;

 private:
  // KeyboardHost
  bool IsChecked(int id) override;
  void SetCheck(int id, bool checked) override;
  void SetFocus(int id) override;
  void SetText(int id, const std::string& text) override;
  void EndDialog(int result) override { CWin32Dialog::EndDialog(result); }

  HBRUSH m_pBrush = nullptr;  // the text display's white strip
  KeyboardModel m_model;
};

}  // namespace panel::win32
