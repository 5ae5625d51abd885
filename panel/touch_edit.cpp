#include "panel/touch_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <algorithm>
#include <string>
#include <vector>

#include "panel/keyboard_dlg.h"
#include "platform/qt_text.h"
#include "platform/template_dialog.h"

CTouchEdit::CTouchEdit(QWidget* parent)
    : QLineEdit(parent), m_focusBefore(QApplication::focusWidget()) {
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
  if (keyboard.DoModal() == platform::IDOK)
    ShowValue();
}

// The focus is handed straight back to the widget of the same window that had it, so neither a
// touch nor Tab leaves the focus or a caret in the field. The edit's own focus handling (caret,
// select-all on Tab) does not run then. With no such widget Qt's default stays.
void CTouchEdit::focusInEvent(QFocusEvent* event) {
  const QWidget* before = m_focusBefore;
  if (before != nullptr && before != this && before->window() == window() && before->isVisible() &&
      before->isEnabled()) {
    m_handingFocusBack = true;
    return;
  }
  QLineEdit::focusInEvent(event);
}

void CTouchEdit::focusOutEvent(QFocusEvent* event) {
  if (m_handingFocusBack) {
    m_handingFocusBack = false;
    return;
  }
  QLineEdit::focusOutEvent(event);
}

// Runs after the field's focus-in event, with the widget that lost the focus.
void CTouchEdit::OnFocusChanged(QWidget* old, QWidget* now) {
  m_focusBefore = now;
  if (now == this && m_handingFocusBack && old != nullptr)
    old->setFocus(Qt::OtherFocusReason);
}
