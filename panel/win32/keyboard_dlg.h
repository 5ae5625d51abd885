// CKeyboardDlg on Windows: the on-screen keyboard (dialog 129) as the system's own dialog. It
// edits the value of a touch field as text, key by key, by the same rules as the Qt keyboard:
// every key ends in OnKey, which turns SHIFT off first, then accepts or refuses the code by the
// field's kind and the length limit; ENTER stores the text into the value and ends with IDOK,
// ESC ends with IDCANCEL. SHIFT and CAPS are push-like automatic check boxes, their checked
// states nothing else. The text strip 1048 is white (WM_CTLCOLORSTATIC with a white brush).
//
// While open it takes every physical key before the dialog manager: Return is ENTER, Escape is
// ESC, Backspace is BACK, Tab does nothing, and each WM_CHAR goes to OnKey as its Windows-1252
// code, so no focused key is ever pressed by Space or Return.
#pragma once

#include <windows.h>

#include "panel/touch_format.h"
#include "panel/win32/win32_dialog.h"

namespace panel::win32 {

class CKeyboardDlg : public CWin32Dialog {
 public:
  static constexpr int KEY_INV = 511;  // the sign toggle, outside the character codes

  // The keyboard edits *value as described by *format; both stay the caller's.
  CKeyboardDlg(TouchValue* value, TouchFormat* format);
  ~CKeyboardDlg() override;

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslateMessage(MSG& message) override;

 private:
  bool OnCommand(int id);
  bool Checked(int id) const;
  void OnKey(int code);
  void OnEnter();
  void OnEsc();
  void Append(char c);
  bool CanGrow() const;
  void ShowText();
  void ShowState();

  HBRUSH m_pBrush = nullptr;  // the text display's white strip
  char m_szText[81] = {};
  TouchValue* m_pValue;
  TouchFormat* m_pFormat;
};

}  // namespace panel::win32
