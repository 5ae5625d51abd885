// TouchField: what a touch code field is, whatever toolkit builds its edit control. It holds a
// value of one kind (TE_TEXT or a number, touch_format.h) with its format, and turns the
// control's window text into the value and back; a dialog layer's edit class derives from it
// (panel/qt/touch_edit.h) and only adds the control's messages: the touch opens the keyboard on
// the value (ReadValue, modal keyboard on &m_value and &m_format, ShowValue after IDOK), the focus
// goes straight back, keys are refused.
//
// In TE_TEXT the value is the address of a kTouchTextBufferSize buffer that the owner allocates
// with new[] (SetUpCodeField in panel_setup.h does); the field frees it.
//
//   ReadValue(text)   window text (Windows-1252) -> m_value; a text is cut to the buffer's 40
//                     characters; false for an unknown kind or a text field without a buffer
//   ShowValue(text)   m_value -> window text; a number in m_nMaxLen - 1 characters at most;
//                     false, with `text` untouched, in the same cases as ReadValue
#pragma once

#include <string>

#include "panel/touch_format.h"

class TouchField {
 public:
  TouchField() = default;
  ~TouchField();
  TouchField(const TouchField&) = delete;
  TouchField& operator=(const TouchField&) = delete;

  bool ReadValue(const std::string& windowText);
  bool ShowValue(std::string& windowText) const;

  bool m_bKeyboard = true;
  TouchFormat m_format;
  TouchValue m_value = 0;

 private:
  char* TextBuffer() const { return reinterpret_cast<char*>(m_value); }
};
