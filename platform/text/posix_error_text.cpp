#include "platform/serial/open_failure.h"
#include "platform/text/error_text.h"

#include <locale.h>
#include <string.h>

namespace platform {

std::string ErrorText(int error) {
  // In English whatever locale the program has set, like the rest of the station's journal.
  const locale_t english = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  if (english == static_cast<locale_t>(nullptr))
    return "error " + std::to_string(error);
  std::string text = ::strerror_l(error, english);
  ::freelocale(english);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

// The POSIX serial backend keeps errno as the error code of a failed open; its text is the C
// library's own, as codeload has always shown it.
std::string DeviceErrorText(int error) {
  return ::strerror(error);
}

}  // namespace platform
