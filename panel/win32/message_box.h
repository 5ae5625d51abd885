// The panel's message boxes on Windows: the system's own MessageBox, owned by the panel and
// captioned with the executable's name, so the operator sees the boxes of the original station
// with the system's own button texts. A modal MessageBox runs its own loop, which keeps
// dispatching the panel's WM_TIMER: a download's finish step runs while its result box is open.
//
//   ApplicationTitle()   the executable's file name without folder and extension
//   ShowMessageBox(...)  runs the box; the button pressed, or the escape answer when it is closed
#pragma once

#include <windows.h>

#include <string>

#include "scanner/download_host.h"

namespace panel::win32 {

std::wstring ApplicationTitle();

// YesNo boxes default to No and OkCancel boxes to Cancel; only Yes or OK proceeds anywhere.
// The text is Windows-1252.
BoxResult ShowMessageBox(HWND owner, const std::string& text, BoxIcon icon, BoxButtons buttons);

}  // namespace panel::win32
