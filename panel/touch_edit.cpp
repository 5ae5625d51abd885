#include "panel/touch_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <string>
#include <vector>

#include "panel/keyboard_dlg.h"
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

CTouchEdit::~CTouchEdit() {
  if (m_format.m_nKind == TE_TEXT)
    delete[] TextBuffer();
}

char* CTouchEdit::TextBuffer() const {
  return reinterpret_cast<char*>(m_value);
}

bool CTouchEdit::ReadValue() {
  const std::string text = platform::ToCp1252(this->text());
  if (m_format.m_nKind == TE_TEXT) {
    if (TextBuffer() == nullptr)
      return false;
    // A longer text (codes from the settings file are not checked) is cut to the buffer.
    StrCopyN(TextBuffer(), text.c_str(), kTouchTextBufferSize);
    return true;
  }
  return ParseNumber(text.c_str(), m_format, m_value);
}

bool CTouchEdit::ShowValue() {
  if (m_format.m_nKind == TE_TEXT) {
    if (TextBuffer() == nullptr)
      return false;
    setText(platform::ToQString(TextBuffer()));
    return true;
  }
  const int width = std::max(m_format.m_nMaxLen, 0);
  std::vector<char> scratch(static_cast<std::size_t>(width) + 1, '\0');
  if (!FormatNumber(m_value, m_format, scratch.data(), width))
    return false;
  setText(platform::ToQString(scratch.data()));
  return true;
}

bool CTouchEdit::FormatNumber(TouchValue value, const TouchFormat& format, char* buffer,
                              int width) {
  const int radix = format.m_nRadix;
  const int decimals = format.m_nDecimals;
  const char fill = format.m_cFill;
  switch (format.m_nKind) {
    case TE_SHORT:
      ShortToStr(static_cast<std::int16_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_LONG:
      LongToStr(static_cast<std::int32_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_BYTE:
      ByteToStr(static_cast<std::uint8_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_WORD:
      WordToStr(static_cast<std::uint16_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_DWORD:
      DwordToStr(static_cast<std::uint32_t>(value), buffer, width, radix, decimals, fill);
      return true;
    default:
      return false;
  }
}

// A number is kept in the low bits of the value, the bits above it clear.
bool CTouchEdit::ParseNumber(const char* text, const TouchFormat& format, TouchValue& value) {
  const int radix = format.m_nRadix;
  const int decimals = format.m_nDecimals;
  const char fill = format.m_cFill;
  switch (format.m_nKind) {
    case TE_SHORT: {
      std::int16_t number = 0;
      StrToShort(number, text, radix, decimals, fill);
      value = static_cast<std::uint16_t>(number);
      return true;
    }
    case TE_LONG: {
      std::int32_t number = 0;
      StrToLong(number, text, radix, decimals, fill);
      value = static_cast<std::uint32_t>(number);
      return true;
    }
    case TE_BYTE: {
      std::uint8_t number = 0;
      StrToByte(number, text, radix, decimals, fill);
      value = number;
      return true;
    }
    case TE_WORD: {
      std::uint16_t number = 0;
      StrToWord(number, text, radix, decimals, fill);
      value = number;
      return true;
    }
    case TE_DWORD: {
      std::uint32_t number = 0;
      StrToDword(number, text, radix, decimals, fill);
      value = number;
      return true;
    }
    default:
      return false;
  }
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
  keyboard.PlaceBeside(*this);  // over the panel, this field left in sight
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
