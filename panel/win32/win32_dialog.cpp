#include "panel/win32/win32_dialog.h"

#include "platform/dialog/win32_dialog_template.h"

namespace panel::win32 {

CWin32Dialog::CWin32Dialog(const res::DialogTemplate& dialogTemplate)
    : m_template(platform::win32::BuildWin32DialogTemplate(dialogTemplate)) {}

CWin32Dialog::~CWin32Dialog() {
  if (m_hWnd)
    DestroyWindow(m_hWnd);
}

INT_PTR CWin32Dialog::DoModal(HWND owner) {
  m_hWnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<const DLGTEMPLATE*>(m_template.data()),
                                      owner, DialogProc, reinterpret_cast<LPARAM>(this));
  if (!m_hWnd)
    return -1;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled)
    EnableWindow(owner, FALSE);
  ShowWindow(m_hWnd, SW_SHOW);
  m_running = true;
  MSG message;
  while (m_running) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      OnIdle();
      if (!m_running)
        break;
    }
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside this one
      break;
    }
    if (got == -1)
      break;
    if (IsForThisDialog(message) && PreTranslateMessage(message))
      continue;
    if (IsDialogMessageW(m_hWnd, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (ownerWasEnabled)
    EnableWindow(owner, TRUE);
  if (owner)
    SetActiveWindow(owner);
  OnDestroy();
  DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
  return m_result;
}

void CWin32Dialog::EndDialog(INT_PTR result) {
  m_result = result;
  m_running = false;
  // Wakes the loop when this is called from outside it (a box's own loop, a timer).
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool CWin32Dialog::IsForThisDialog(const MSG& message) const {
  return message.hwnd == m_hWnd || (message.hwnd && IsChild(m_hWnd, message.hwnd));
}

bool CWin32Dialog::PreTranslateMessage(MSG& /*message*/) {
  return false;
}

// The dialog manager's default for everything not handled: Return and Escape come as IDOK and
// IDCANCEL only through IsDialogMessage, which PreTranslateMessage may keep them from.
bool CWin32Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, INT_PTR& result) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(LOWORD(wParam));
    result = TRUE;
    return true;
  }
  return false;
}

INT_PTR CALLBACK CWin32Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CWin32Dialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    return dialog->OnInitDialog() ? TRUE : FALSE;
  }
  auto* dialog = reinterpret_cast<CWin32Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!dialog)
    return FALSE;
  INT_PTR result = FALSE;
  if (!dialog->OnMessage(message, wParam, lParam, result))
    return FALSE;
  // WM_CTLCOLOR* and a few others answer through the return value; the rest through DWLP_MSGRESULT.
  switch (message) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
      return result;
    default:
      SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

}  // namespace panel::win32
