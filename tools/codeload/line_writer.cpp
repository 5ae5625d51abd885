#include "tools/codeload/line_writer.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace codeload {

bool LineWriter::Write(std::string_view text) {
  if (m_bBroken)
    return false;
  // Whatever went through stdio before keeps its place in front of this text.
  if (std::fflush(m_stream) != 0) {
    m_bBroken = true;
    return false;
  }
  const int fd = fileno(m_stream);
  if (fd < 0) {
    // A stream with no descriptor (a memory stream) has no EINTR to fear.
    m_bBroken = std::fwrite(text.data(), 1, text.size(), m_stream) != text.size() ||
                std::fflush(m_stream) != 0;
    return !m_bBroken;
  }
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n > 0) {
      text.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      m_bBroken = true;
      return false;
    }
  }
  return true;
}

bool LineWriter::WriteLine(std::string_view line) {
  // One write for the line and its end, so that a reader never sees half a line from us.
  std::string text(line);
  text += '\n';
  return Write(text);
}

}  // namespace codeload
