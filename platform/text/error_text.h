// An errno value as the short English text a station's journal shows, whatever the locale:
// "permission denied", "no such file or directory".
//
//   ErrorText   the C locale's strerror text with a lower-case first letter
#pragma once

#include <string>

namespace platform {

std::string ErrorText(int error);

}  // namespace platform
