// bare-dialog.exe: the main panel's template 102 created by the system's dialog manager and
// nothing else: no fonts, colours, timer, serial ports or settings. scripts/bench runs it beside
// codepanel.exe under wine as the baseline of what Windows alone costs for that dialog; the
// Windows end-to-end tests prove their driver on it.
//
// "Esci" (1010) ends it; the first "Invia a scanner" (1000) asks a question in a message box
// owned by the dialog, with the program's name as caption, and shows the answer's id in the
// banner's caption line (1008).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "platform/dialog/win32_dialog_template.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: bare-dialog.exe [--exit-after-first-frame]\n"
    L"The panel's dialog template alone: the baseline of scripts/bench.\n";

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG)
    return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == 1010) {
    DestroyWindow(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == 1000) {
    const int answer = MessageBoxW(dialog, L"Domanda ?", L"bare-dialog.exe", MB_YESNO);
    SetDlgItemInt(dialog, 1008, static_cast<UINT>(answer), FALSE);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  bool exitAfterFirstFrame = false;
  if (std::wcscmp(commandLine, L"--exit-after-first-frame") == 0) {
    exitAfterFirstFrame = true;
  } else if (commandLine[0] != L'\0') {
    std::fputws(kUsage, stderr);
    return 2;
  }
  const std::vector<std::uint32_t> bytes =
      platform::win32::BuildWin32DialogTemplate(res::kPanelTemplate);
  HWND dialog = CreateDialogIndirectParamW(
      instance, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr, BareDialogProc, 0);
  if (!dialog)
    return 1;
  MSG message;
  for (;;) {
    // The first frame is drawn once the dialog is shown and no part of it waits to be painted.
    if (exitAfterFirstFrame && IsWindowVisible(dialog) &&
        !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) &&
        (GetQueueStatus(QS_PAINT) & QS_PAINT) == 0) {
      RECT client;
      GetClientRect(dialog, &client);
      std::printf("first frame: %ldx%ld\n", client.right, client.bottom);
      std::fflush(stdout);
      DestroyWindow(dialog);
      exitAfterFirstFrame = false;
    }
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1)
      break;
    if (!IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}
