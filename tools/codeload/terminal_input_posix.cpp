#include <unistd.h>

#include "tools/codeload/terminal_input.h"

namespace codeload {

bool StandardInputIsTerminal() {
  return isatty(STDIN_FILENO) != 0;
}

}  // namespace codeload
