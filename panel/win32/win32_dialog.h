// CWin32Dialog: a dialog created by the system's dialog manager from its in-memory template and
// run modally the way the original toolkit ran its dialogs: the dialog is created modeless, its
// owner disabled, and a message loop of its own passes every message for the dialog and its
// controls to PreTranslateMessage first, then to IsDialogMessage (Tab, arrows, mnemonics), then
// translates and dispatches it. EndDialog ends the loop; the owner is enabled again before the
// dialog is destroyed, so that the activation goes back to it.
//
//   DoModal(owner)      runs the dialog; IDOK, IDCANCEL or the code given to EndDialog;
//                       -1 when the dialog cannot be created
//   EndDialog(code)     ends the modal run
//   Item(id)            a control of the dialog
//   OnInitDialog        WM_INITDIALOG; true: the focus goes to the first tab stop
//   OnMessage           every other message of the dialog; true when handled, *result its answer
//   PreTranslateMessage every message of the loop for this dialog or a control of it; true: eaten
//   OnIdle              the loop has found its queue empty
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "res/dialog_template.h"

namespace panel::win32 {

class CWin32Dialog {
 public:
  explicit CWin32Dialog(const res::DialogTemplate& dialogTemplate);
  virtual ~CWin32Dialog();
  CWin32Dialog(const CWin32Dialog&) = delete;
  CWin32Dialog& operator=(const CWin32Dialog&) = delete;

  INT_PTR DoModal(HWND owner);
  void EndDialog(INT_PTR result);

  HWND m_hWnd = nullptr;
  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }

 protected:
  virtual bool OnInitDialog() { return true; }
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  virtual bool PreTranslateMessage(MSG& message);
  virtual void OnDestroy() {}
  virtual void OnIdle() {}

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool IsForThisDialog(const MSG& message) const;

  std::vector<std::uint32_t> m_template;
  bool m_running = false;
  INT_PTR m_result = IDCANCEL;
};

}  // namespace panel::win32
