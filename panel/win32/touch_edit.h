// CTouchEdit on Windows: the touch code field, a subclassed EDIT control that opens the on-screen
// keyboard on its text when touched and never keeps the input focus or shows a caret.
//
// WM_LBUTTONDOWN runs the keyboard first (ReadValue, the modal keyboard, ShowValue after ENTER),
// then the edit's own handling; the second click of a double click comes as WM_LBUTTONDBLCLK,
// which only the edit handles. WM_SETFOCUS hands the focus straight back to the window that had
// it, without the edit's own focus handling (no caret, no selection); the dialog manager keeps the
// focus on the window it restores. Keys, characters, pastes and the context menu never reach the
// edit, so neither a physical keyboard, a barcode wedge nor the clipboard edits it.
//
//   SubclassDlgItem(id, dialog)  takes over the dialog's control
//   ReadValue() / ShowValue()    window text -> m_value -> window text, by m_format's kind
//   FormatNumber / ParseNumber   the numeric kinds' conversions, shared with the keyboard
#pragma once

#include <windows.h>

#include "panel/touch_format.h"

namespace panel::win32 {

class CTouchEdit {
 public:
  CTouchEdit() = default;
  ~CTouchEdit();
  CTouchEdit(const CTouchEdit&) = delete;
  CTouchEdit& operator=(const CTouchEdit&) = delete;

  bool SubclassDlgItem(int id, HWND dialog);
  bool ReadValue();
  bool ShowValue();

  // `value` of numeric kind `format.m_nKind` into `buffer` (at least `width` bytes); false for
  // other kinds, with the buffer untouched.
  static bool FormatNumber(TouchValue value, const TouchFormat& format, char* buffer, int width);
  // `text` parsed by the rules of numeric kind `format.m_nKind`; false for other kinds.
  static bool ParseNumber(const char* text, const TouchFormat& format, TouchValue& value);

  HWND m_hWnd = nullptr;
  bool m_bKeyboard = true;
  TouchFormat m_format;
  TouchValue m_value = 0;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnLButtonDown();
  char* TextBuffer() const { return reinterpret_cast<char*>(m_value); }

  WNDPROC m_editProc = nullptr;
};

}  // namespace panel::win32
