// Text between the program's Windows-1252 bytes and the UTF-16 of the system's W calls, through
// the Windows-1252 table itself: a station whose system code page is another (1250, 65001, ...)
// shows and stores the same codes. The A calls would convert through that code page.
//
//   ToWide(cp1252)          bytes to UTF-16
//   ToCp1252(wide)          UTF-16 to bytes; a character Windows-1252 lacks becomes '?'
//   WindowText(hwnd)        a window's text as bytes
//   SetWindowText(hwnd, s)  bytes as a window's text
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace panel::win32 {

std::wstring ToWide(std::string_view cp1252);
std::string ToCp1252(std::wstring_view wide);
std::string WindowText(HWND window);
void SetWindowTextCp1252(HWND window, std::string_view cp1252);

}  // namespace panel::win32
