#include "panel/win32/touch_edit.h"

#include <algorithm>
#include <string>
#include <vector>

#include "panel/win32/keyboard_dlg.h"
#include "panel/win32/win32_text.h"

namespace panel::win32 {

namespace {

constexpr wchar_t kOwnerProperty[] = L"codepanel.CTouchEdit";

}  // namespace

CTouchEdit::~CTouchEdit() {
  if (m_hWnd && IsWindow(m_hWnd) && m_editProc) {
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_editProc));
    RemovePropW(m_hWnd, kOwnerProperty);
  }
  if (m_format.m_nKind == TE_TEXT)
    delete[] TextBuffer();
}

bool CTouchEdit::SubclassDlgItem(int id, HWND dialog) {
  m_hWnd = GetDlgItem(dialog, id);
  if (!m_hWnd)
    return false;
  SetPropW(m_hWnd, kOwnerProperty, this);
  m_editProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
  return m_editProc != nullptr;
}

bool CTouchEdit::ReadValue() {
  const std::string text = WindowText(m_hWnd);
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
    SetWindowTextCp1252(m_hWnd, TextBuffer());
    return true;
  }
  const int width = std::max(m_format.m_nMaxLen, 0);
  std::vector<char> scratch(static_cast<std::size_t>(width) + 1, '\0');
  if (!FormatNumber(m_value, m_format, scratch.data(), width))
    return false;
  SetWindowTextCp1252(m_hWnd, scratch.data());
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

LRESULT CALLBACK CTouchEdit::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* edit = static_cast<CTouchEdit*>(GetPropW(window, kOwnerProperty));
  if (!edit)
    return DefWindowProcW(window, message, wParam, lParam);
  return edit->OnMessage(message, wParam, lParam);
}

LRESULT CTouchEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      OnLButtonDown();
      if (!IsWindow(m_hWnd))
        return 0;  // the field went away with its dialog while the keyboard was open
      break;
    }
    case WM_SETFOCUS: {
      // Straight back, before the edit could create its caret or select its text.
      HWND previous = reinterpret_cast<HWND>(wParam);
      if (previous && previous != m_hWnd && IsWindow(previous) && IsWindowEnabled(previous) &&
          IsWindowVisible(previous))
        ::SetFocus(previous);
      else
        ::SetFocus(nullptr);
      return 0;
    }
    case WM_KILLFOCUS:
      return 0;  // the edit never had the focus to lose
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_DEADCHAR:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_CONTEXTMENU:
    case WM_MBUTTONUP:
      return 0;
    default:
      break;
  }
  return CallWindowProcW(m_editProc, m_hWnd, message, wParam, lParam);
}

void CTouchEdit::OnLButtonDown() {
  if (!m_bKeyboard || !ReadValue())
    return;
  CKeyboardDlg keyboard(&m_value, &m_format);
  if (keyboard.DoModal(GetParent(m_hWnd)) == IDOK)
    ShowValue();
}

}  // namespace panel::win32
