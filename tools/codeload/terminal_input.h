// Whether someone at a terminal can answer the loader's question: one file per system, chosen by
// CMake (isatty on POSIX, _isatty on Windows).
//
//   StandardInputIsTerminal   whether standard input is a terminal (a console on Windows)
#pragma once

namespace codeload {

bool StandardInputIsTerminal();

}  // namespace codeload
