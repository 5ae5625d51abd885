// The command line as UTF-8, whatever the system hands main: one file per system, chosen by
// CMake. POSIX passes the bytes as typed, UTF-8 on a station; Windows passes main the ANSI code
// page, which cannot hold every character, so the wide command line is converted instead.
//
//   Utf8Arguments   argv[0..argc) as UTF-8
#pragma once

#include <string>
#include <vector>

namespace codeload {

std::vector<std::string> Utf8Arguments(int argc, char* argv[]);

}  // namespace codeload
