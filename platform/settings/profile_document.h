// A private-profile file's content, read and edited as bytes the way Windows' profile calls read
// it (profile_file.h has the rules), with no file or system call: each backend reads the file,
// hands its bytes here, and puts the edited bytes back in its own way. The system's own profile
// calls are not used for that on Windows: they read a file without a byte-order mark in the
// system's code page, which on a Chinese, Korean or Japanese system turns a code's "\xA3" into
// nothing or into another byte.
//
//   FindProfileValue   the value of a key, unquoted and up to its first NUL, if the file has it
//   ProfileWithValue   the file's bytes with the key set (added when missing), every other byte
//                      kept; may throw std::bad_alloc
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::optional<std::string> FindProfileValue(std::string_view fileBytes, const std::string& section,
                                            const std::string& key);

std::string ProfileWithValue(std::string_view fileBytes, const std::string& section,
                             const std::string& key, const std::string& value);

}  // namespace platform
