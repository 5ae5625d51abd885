#include <io.h>

#include <cstdio>

#include "tools/codeload/terminal_input.h"

namespace codeload {

// A character device counts, as it does for the C runtime: the console, but also NUL.
bool StandardInputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}

}  // namespace codeload
