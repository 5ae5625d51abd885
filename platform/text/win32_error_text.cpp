// The error texts on Windows: an errno value as the C runtime words it (English in the C locale
// the programs keep), and a GetLastError code as the system's English text, through
// FormatMessageA; the system's own language comes only where it has no English text for the code.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/serial/open_failure.h"
#include "platform/text/error_text.h"

namespace platform {

namespace {

std::string MessageText(DWORD error, DWORD language) {
  char* text = nullptr;
  // The system allocates the buffer: no message is cut short.
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, language, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr)
    LocalFree(text);
  return message;
}

}  // namespace

std::string ErrorText(int error) {
  // strerror_s: the C runtime's own text, without the deprecation MSVC reports for strerror.
  char buffer[256] = {};
  if (strerror_s(buffer, sizeof buffer, error) != 0)
    return "error " + std::to_string(error);
  std::string text = buffer;
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

std::string DeviceErrorText(int error) {
  const auto code = static_cast<DWORD>(error);
  std::string text = MessageText(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.empty())
    text = MessageText(code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
  // The messages end with a full stop and CR LF; the text goes inside a line of ours.
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace platform
