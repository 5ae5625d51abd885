// CTouchEdit on Windows: the touch code field (panel/touch_field.h) as a subclassed EDIT control
// that opens the on-screen keyboard on its text when touched and never keeps the input focus or
// shows a caret.
//
// WM_LBUTTONDOWN runs the keyboard first (ReadValue, the modal keyboard, ShowValue after ENTER),
// then the edit's own handling; the second click of a double click comes as WM_LBUTTONDBLCLK,
// which only the edit handles. WM_SETFOCUS hands the focus straight back to the window that had
// it (nowhere when none), without the edit's own focus handling (no caret, no selection). Keys,
// characters, pastes and the context menu never reach the edit, so neither a physical keyboard,
// a barcode wedge nor the clipboard edits it.
//
//   SubclassDlgItem(id, dialog)  takes over the dialog's control
#pragma once

#include "panel/touch_field.h"
// After the shared headers: <windows.h> defines some of their names as macros.
#include <windows.h>

namespace panel::win32 {

class CTouchEdit : public TouchField {
 public:
  CTouchEdit() = default;
  ~CTouchEdit();

  bool SubclassDlgItem(int id, HWND dialog);

  HWND m_hWnd = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnLButtonDown();

  WNDPROC m_editProc = nullptr;
};

}  // namespace panel::win32
