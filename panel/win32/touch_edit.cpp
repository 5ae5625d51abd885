#include "panel/win32/touch_edit.h"

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
  if (!m_bKeyboard || !ReadValue(WindowText(m_hWnd)))
    return;
  CKeyboardDlg keyboard(&m_value, &m_format);
  if (keyboard.DoModal(GetParent(m_hWnd)) != kDialogOk)
    return;
  std::string text;
  if (ShowValue(text))
    SetWindowTextCp1252(m_hWnd, text);
}

}  // namespace panel::win32
