// No signal interrupts a write on Windows, so there is no EINTR to retry after.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <climits>
#include <cstdio>

#include "tools/codeload/descriptor_output.h"

namespace codeload {

void PrepareStandardOutput() {
  // Text mode would turn each LF into CR LF, and the log's bytes would differ from POSIX's.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // The texts are UTF-8; a console shows them right only in that code page. Fails harmlessly
  // without a console.
  SetConsoleOutputCP(CP_UTF8);
}

int DescriptorOf(std::FILE* stream) {
  return _fileno(stream);
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const unsigned part = text.size() > INT_MAX ? INT_MAX : static_cast<unsigned>(text.size());
    const int n = _write(fd, text.data(), part);
    if (n <= 0)
      return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace codeload
