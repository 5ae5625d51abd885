#include "tools/codeload/line_writer.h"

#include <string>

#include "tools/codeload/descriptor_output.h"

namespace codeload {

bool LineWriter::Write(std::string_view text) {
  if (m_bBroken)
    return false;
  // Whatever went through stdio before keeps its place in front of this text.
  if (std::fflush(m_stream) != 0) {
    m_bBroken = true;
    return false;
  }
  const int fd = DescriptorOf(m_stream);
  if (fd < 0) {
    // A stream with no descriptor (a memory stream) has no EINTR to fear.
    m_bBroken = std::fwrite(text.data(), 1, text.size(), m_stream) != text.size() ||
                std::fflush(m_stream) != 0;
    return !m_bBroken;
  }
  m_bBroken = !WriteAll(fd, text);
  return !m_bBroken;
}

bool LineWriter::WriteLine(std::string_view line) {
  // One write for the line and its end, so that a reader never sees half a line from us.
  std::string text(line);
  text += '\n';
  return Write(text);
}

}  // namespace codeload
