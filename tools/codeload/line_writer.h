// LineWriter: the loader's output on a stdio stream, written through to its end at once.
//
// stdio drops what it had buffered when a write fails with EINTR, and tries again on a pipe
// whose reader has gone; the loader's log must do neither. So each text goes out with write(2)
// on the stream's descriptor, retried after EINTR and continued after a partial write. Any other
// failure (EPIPE once the reader has gone, with SIGPIPE held) marks the stream broken and nothing
// more is written to it: a reader that went away must not stop a download.
//
//   Write / WriteLine   the text (and a line feed); false once the stream is broken
//   Broken              whether a write has failed
#pragma once

#include <cstdio>
#include <string_view>

namespace codeload {

class LineWriter {
 public:
  explicit LineWriter(std::FILE* stream) : m_stream(stream) {}

  bool Write(std::string_view text);
  bool WriteLine(std::string_view line);
  bool Broken() const { return m_bBroken; }

 private:
  std::FILE* m_stream;
  bool m_bBroken = false;
};

}  // namespace codeload
