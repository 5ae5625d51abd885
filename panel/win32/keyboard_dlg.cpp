#include "panel/win32/keyboard_dlg.h"

#include "panel/panel_setup.h"
#include "panel/win32/win32_text.h"

namespace panel::win32 {

CKeyboardDlg::CKeyboardDlg(TouchValue* value, TouchFormat* format)
    : CWin32Dialog(res::kKeyboardTemplate),
      m_pBrush(CreateSolidBrush(RGB(kKeyboardTextBackground.red, kKeyboardTextBackground.green,
                                    kKeyboardTextBackground.blue))),
      m_model(*this, value, format) {}

CKeyboardDlg::~CKeyboardDlg() {
  DeleteObject(m_pBrush);
}

bool CKeyboardDlg::OnInitDialog() {
  // The static would read '&' as a mnemonic marker: the text is shown as it is typed.
  HWND display = Item(kKeyboardTextDisplay);
  SetWindowLongW(display, GWL_STYLE, GetWindowLongW(display, GWL_STYLE) | SS_NOPREFIX);
  m_model.OnInitDialog();
  return true;
}

bool CKeyboardDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && m_model.OnButton(LOWORD(wParam)))
    return true;
  if (message == WM_CTLCOLORSTATIC &&
      GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kKeyboardTextDisplay) {
    SetBkColor(reinterpret_cast<HDC>(wParam),
               RGB(kKeyboardTextBackground.red, kKeyboardTextBackground.green,
                   kKeyboardTextBackground.blue));
    result = reinterpret_cast<INT_PTR>(m_pBrush);
    return true;
  }
  return CWin32Dialog::OnMessage(message, wParam, lParam, result);
}

bool CKeyboardDlg::IsChecked(int id) {
  return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A check set here is no click: it never comes back as a key.
void CKeyboardDlg::SetCheck(int id, bool checked) {
  SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CKeyboardDlg::SetFocus(int id) {
  ::SetFocus(Item(id));
}

void CKeyboardDlg::SetText(int id, const std::string& text) {
  SetWindowTextCp1252(Item(id), text);
}

// Every key is taken here. A key that makes a character goes through TranslateMessage, whose
// WM_CHAR comes back here as the code for OnKey.
bool CKeyboardDlg::PreTranslateMessage(MSG& message) {
  if (message.message == WM_CHAR) {
    const auto ch = static_cast<wchar_t>(message.wParam);
    // Return, Escape, Backspace and Tab make characters too; their keys have acted already.
    if (ch == L'\r' || ch == L'\n' || ch == 0x1B || ch == L'\b' || ch == L'\t')
      return true;
    const std::string code = ToCp1252(std::wstring(1, ch));
    if (code != "?" || ch == L'?')  // a character Windows-1252 lacks types nothing
      m_model.OnKey(static_cast<unsigned char>(code[0]));
    return true;
  }
  if (message.message != WM_KEYDOWN)
    return message.message == WM_KEYUP || message.message == WM_SYSCHAR;
  switch (message.wParam) {
    case VK_RETURN:
      m_model.OnEnter();
      return true;
    case VK_ESCAPE:
      m_model.OnEsc();
      return true;
    case VK_BACK:
      m_model.OnKey(kKeyBackspace);
      return true;
    case VK_TAB:
      return true;
    default:
      TranslateMessage(&message);
      return true;
  }
}

}  // namespace panel::win32
