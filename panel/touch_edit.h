// The touch code field: a single-line edit that opens the on-screen keyboard on its text when it
// is touched and never keeps the input focus, so on the station it is edited only through the
// keyboard.
//
// The field holds a value of one kind (TE_TEXT or a number, panel/touch_format.h) with its format.
// A touch re-reads the window text into the value (ReadValue), runs the keyboard on the value and,
// after ENTER, shows the new value (ShowValue). In TE_TEXT the value is the address of a
// kTouchTextBufferSize buffer that the owner allocates with new[]; the field frees it.
//
//   ReadValue()   window text -> m_value; a text is cut to the buffer's 40 characters
//   ShowValue()   m_value -> window text; a number in m_nMaxLen - 1 characters at most
//   FormatNumber / ParseNumber   the numeric kinds' conversions, shared with the keyboard
#pragma once

#include <QLineEdit>
#include <QPointer>

#include "panel/touch_format.h"

class QFocusEvent;
class QMouseEvent;

class CTouchEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CTouchEdit(QWidget* parent = nullptr);
  ~CTouchEdit() override;
  CTouchEdit(const CTouchEdit&) = delete;
  CTouchEdit& operator=(const CTouchEdit&) = delete;

  bool ReadValue();
  bool ShowValue();

  // `value` of numeric kind `format.m_nKind` into `buffer` (at least `width` bytes); false for
  // other kinds, with the buffer untouched.
  static bool FormatNumber(TouchValue value, const TouchFormat& format, char* buffer, int width);
  // `text` parsed by the rules of numeric kind `format.m_nKind`; false for other kinds.
  static bool ParseNumber(const char* text, const TouchFormat& format, TouchValue& value);

  bool m_bKeyboard = true;
  TouchFormat m_format;
  TouchValue m_value = 0;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void OnLButtonDown();
  void OnFocusChanged(QWidget* old, QWidget* now);

  char* TextBuffer() const;

  QPointer<QWidget> m_focusBefore;  // the widget that had the focus before the latest change
  bool m_handingFocusBack = false;
};
