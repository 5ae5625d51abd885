// The touch code field: a single-line edit that opens the on-screen keyboard on its text when it
// is touched and never keeps the input focus, so on the station it is edited only through the
// keyboard.
//
// Whenever the focus reaches the field (a touch, Tab, a SetFocus, the focus its window restores on
// activation) it goes straight back to the widget of the same window that last held it, or,
// with none, nowhere. Keys and input-method text sent to the field are refused and it has no
// context menu and takes no drop or middle-button paste, so neither a physical keyboard, a
// barcode wedge nor a paste edits it.
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
class QInputMethodEvent;
class QKeyEvent;
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
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void OnLButtonDown();
  void OnFocusChanged(QWidget* old, QWidget* now);
  void HandFocusBack();

  char* TextBuffer() const;

  QPointer<QWidget> m_focusReturn;  // the widget of this window that last held the focus
};
