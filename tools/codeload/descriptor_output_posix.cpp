#include <unistd.h>

#include <cerrno>

#include "tools/codeload/descriptor_output.h"

namespace codeload {

// They are so already.
void PrepareStandardOutput() {}

int DescriptorOf(std::FILE* stream) {
  return fileno(stream);
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n > 0) {
      text.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace codeload
