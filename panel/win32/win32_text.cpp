#include "panel/win32/win32_text.h"

#include "platform/text/cp1252.h"

namespace panel::win32 {

std::wstring ToWide(std::string_view cp1252) {
  std::wstring wide;
  wide.reserve(cp1252.size());
  for (const char byte : cp1252)
    wide += static_cast<wchar_t>(platform::Cp1252ToUnicode(static_cast<std::uint8_t>(byte)));
  return wide;
}

std::string ToCp1252(std::wstring_view wide) {
  std::string bytes;
  bytes.reserve(wide.size());
  for (const wchar_t ch : wide) {
    const int byte = platform::UnicodeToCp1252(static_cast<char32_t>(ch));
    bytes += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return bytes;
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return ToCp1252(text);
}

void SetWindowTextCp1252(HWND window, std::string_view cp1252) {
  SetWindowTextW(window, ToWide(cp1252).c_str());
}

}  // namespace panel::win32
