// The system's own writes beneath LineWriter: a stdio stream's descriptor, and writing a text to
// it to its end. One file per system, chosen by CMake: write(2), retried after EINTR, on POSIX;
// the C runtime's _write on Windows.
//
//   PrepareStandardOutput  standard output and error as POSIX has them: bytes as written, so
//                          that a line ends in LF, and UTF-8 on a Windows console
//   DescriptorOf   the stream's descriptor; -1 for a stream with none (a memory stream)
//   WriteAll       the whole text, continued after a partial write; false once a write fails
#pragma once

#include <cstdio>
#include <string_view>

namespace codeload {

void PrepareStandardOutput();
int DescriptorOf(std::FILE* stream);
bool WriteAll(int fd, std::string_view text);

}  // namespace codeload
