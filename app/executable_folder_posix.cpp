// The running program's folder from /proc/self/exe: the real file, even when the program was
// started through a link.
#include <unistd.h>

#include <string>
#include <vector>

#include "app/panel_app.h"

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0)
      return "./";
    if (static_cast<std::size_t>(length) < buffer.size()) {
      std::string path(buffer.data(), static_cast<std::size_t>(length));
      path.erase(path.find_last_of('/') + 1);
      return path.empty() ? "./" : path;
    }
    buffer.resize(buffer.size() * 2);  // a path longer than the buffer: try again with more room
  }
}
