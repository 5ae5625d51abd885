#include "panel/win32/message_box.h"

#include "panel/win32/win32_text.h"

namespace panel::win32 {

std::wstring ApplicationTitle() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length);
  const std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos)
    name.erase(0, slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0)
    name.erase(dot);
  return name;
}

BoxResult ShowMessageBox(HWND owner, const std::string& text, BoxIcon icon, BoxButtons buttons) {
  UINT style = MB_APPLMODAL;
  switch (icon) {
    case BoxIcon::Error:
      style |= MB_ICONERROR;
      break;
    case BoxIcon::Information:
      style |= MB_ICONINFORMATION;
      break;
    case BoxIcon::Question:
      style |= MB_ICONQUESTION;
      break;
  }
  switch (buttons) {
    case BoxButtons::Ok:
      style |= MB_OK;
      break;
    case BoxButtons::YesNo:
      style |= MB_YESNO | MB_DEFBUTTON2;
      break;
    case BoxButtons::OkCancel:
      style |= MB_OKCANCEL | MB_DEFBUTTON2;
      break;
  }
  switch (MessageBoxW(owner, ToWide(text).c_str(), ApplicationTitle().c_str(), style)) {
    case IDOK:
      return BoxResult::Ok;
    case IDYES:
      return BoxResult::Yes;
    case IDNO:
      return BoxResult::No;
    case IDCANCEL:
      return BoxResult::Cancel;
    default:  // the box could not be shown: the answer that goes no further
      if (buttons == BoxButtons::Ok)
        return BoxResult::Ok;
      return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Cancel;
  }
}

}  // namespace panel::win32
