// The communication log's view of a frame: control bytes by name ("<ESC>", "<CR>"), the others as
// the characters they are. The log lines themselves live in the host's list.
//
//   kByteNames     the display form of each byte 0..127
//   RenderBytes    a NUL-terminated frame as one line's text
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The display form of each byte 0..127: control bytes by name, the rest as themselves.
extern const std::array<const char*, 128> kByteNames;

inline constexpr const char* kLogSeparator =
    "--------------------------------------------------------------------";

// The display form of a NUL-terminated byte string (Windows-1252 text). Bytes above 127 show as
// their Windows-1252 character where it is printable, otherwise as "<XX>" in hex.
std::string RenderBytes(const std::uint8_t* bytes);
