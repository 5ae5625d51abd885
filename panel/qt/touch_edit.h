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
// The value, its format and their conversions to and from the window text are the field's
// toolkit-free part, TouchField (panel/touch_field.h). A touch re-reads the window text into the
// value (ReadValue), runs the keyboard on the value and, after ENTER, shows the new value
// (ShowValue).
#pragma once

#include <QLineEdit>
#include <QPointer>

#include "panel/touch_field.h"

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMouseEvent;

class CTouchEdit : public QLineEdit, public TouchField {
  Q_OBJECT

 public:
  explicit CTouchEdit(QWidget* parent = nullptr);
  ~CTouchEdit() override;
  CTouchEdit(const CTouchEdit&) = delete;
  CTouchEdit& operator=(const CTouchEdit&) = delete;

  bool ReadValue();
  bool ShowValue();

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

  QPointer<QWidget> m_focusReturn;  // the widget of this window that last held the focus
};
