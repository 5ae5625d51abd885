#include "tools/codeload/utf8_arguments.h"

namespace codeload {

std::vector<std::string> Utf8Arguments(int argc, char* argv[]) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace codeload
