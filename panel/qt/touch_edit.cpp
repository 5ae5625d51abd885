#include "panel/qt/touch_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <string>

#include "panel/qt/keyboard_dlg.h"
#include "platform/dialog/qt_text.h"
#include "platform/dialog/template_dialog.h"

CTouchEdit::CTouchEdit(QWidget* parent) : QLineEdit(parent) {
  // The edit's own menu would paste text past the keyboard and its length limit.
  setContextMenuPolicy(Qt::NoContextMenu);
  // Nor is a platform input method (an on-screen keyboard of the system) offered the field.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  // A text dropped on the field, or pasted from the selection by the middle button, would
  // bypass the keyboard in the same way.
  setAcceptDrops(false);
  connect(qApp, &QApplication::focusChanged, this, &CTouchEdit::OnFocusChanged);
}

CTouchEdit::~CTouchEdit() = default;

bool CTouchEdit::ReadValue() {
  return TouchField::ReadValue(platform::ToCp1252(text()));
}

bool CTouchEdit::ShowValue() {
  std::string shown;
  if (!TouchField::ShowValue(shown))
    return false;
  setText(platform::ToQString(shown));
  return true;
}

// The touch: the keyboard opens on the press itself. The second click of a double click arrives
// as a double-click event, whose default handling opens nothing.
void CTouchEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPointer<CTouchEdit> alive(this);
    OnLButtonDown();
    if (alive == nullptr)
      return;  // the field went away with its dialog while the keyboard was open
  }
  QLineEdit::mousePressEvent(event);
}

void CTouchEdit::OnLButtonDown() {
  if (!m_bKeyboard || !ReadValue())
    return;
  CKeyboardDlg keyboard(&m_value, &m_format, nullptr);
  if (keyboard.DoModal() == platform::IDOK)
    ShowValue();
}

// The field never holds the focus, so the edit's own focus handling (caret, select-all on Tab,
// editingFinished on leaving) never runs. The hand-back itself waits for focusChanged, when Qt has
// finished moving the focus here.
void CTouchEdit::focusInEvent(QFocusEvent* /*event*/) {}

void CTouchEdit::focusOutEvent(QFocusEvent* /*event*/) {}

// Ignored, so a key goes on to the dialog as it does from a widget that takes no keys.
void CTouchEdit::keyPressEvent(QKeyEvent* event) {
  event->ignore();
}

void CTouchEdit::inputMethodEvent(QInputMethodEvent* event) {
  event->ignore();
}

void CTouchEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    event->ignore();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

// Every focus change passes here, so the widget to return to is known whatever came before: when
// a box has just closed the panel is still inactive, and the focus it restores on activation comes
// from no widget of the panel at all.
void CTouchEdit::OnFocusChanged(QWidget* /*old*/, QWidget* now) {
  if (now == this) {
    HandFocusBack();
  } else if (now != nullptr && now->window() == window() &&
             qobject_cast<CTouchEdit*>(now) == nullptr) {
    m_focusReturn = now;
  }
}

void CTouchEdit::HandFocusBack() {
  QWidget* target = m_focusReturn;
  if (target != nullptr && target->window() == window() && target->isVisible() &&
      target->isEnabled()) {
    target->setFocus(Qt::OtherFocusReason);
  }
  if (hasFocus())
    clearFocus();
}
