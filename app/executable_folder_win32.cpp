// The running program's folder from GetModuleFileNameA, with its trailing backslash, so that
// config.dat is looked for beside the program whatever the working folder is.
#include <windows.h>

#include <string>
#include <vector>

#include "app/panel_app.h"

std::string ExecutableFolder() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0)
      return ".\\";
    if (length < buffer.size()) {
      std::string path(buffer.data(), length);
      path.erase(path.find_last_of("\\/") + 1);
      return path.empty() ? ".\\" : path;
    }
    buffer.resize(buffer.size() * 2);  // cut to the buffer: try again with more room
  }
}
