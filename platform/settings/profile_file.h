// Private-profile ("INI") files such as config.dat, read and written the way Windows' own profile
// calls do, so that a file either side wrote reads the same on the other.
//
// A file is lines of "[SECTION]" headers and "KEY=value" entries, with CRLF, LF or CR line ends
// (and perhaps none after the last line). Names match without regard to ASCII case; a line whose
// first non-blank character is ';' is a comment; blanks (space, tab) around names and values do
// not count; one pair of matching quotes (" or ') around a value of two or more characters is
// removed. Where a section or a key appears twice, the first one counts. In a file without a
// byte-order mark, values are Windows-1252 bytes, never re-encoded.
//
// A value ends at its first NUL, as Windows' C-string calls return it. A section or key name
// holding a NUL is one that no caller can ask for, so it matches nothing; such a header still
// starts a section, so that its keys never count for the section above it. A NUL after a header's
// last ']' does not count, like any text there.
//
// A write here changes only the line of the key (rewritten as KEY=value with the key spelled as the
// file already has it), or adds one: a new key after the last line of its section that is neither
// blank nor a comment (trailing blank lines and comments stay with whatever follows); a new section
// at the end of the file. Every other byte stays as it was; lines the writer makes end with CRLF.
// A value is put in double quotes exactly when the reader would otherwise change it (a blank at
// either end, or the same quote at both ends), so every storable value reads back unchanged.
//
// Each system has its backend, chosen by CMake; both read and edit the file's bytes as above
// (profile_document.h), with byte-order marks handled as Windows handles them, so the bytes of a
// file either one writes are the same, whatever the system's code page. On Linux
// (posix_profile_file.h) the file is replaced atomically; on Windows (win32_profile_file.cpp) a
// flushed copy is moved over it. Callers pass a full path.
//
//   GetProfileString    a value, or the default when the file, section or key is missing
//   WriteProfileString  sets a value; false (file untouched) when it cannot be stored or written,
//                       and with a WriteStatus, the cause
#pragma once

#include <cstddef>
#include <string>

#include "platform/settings/write_status.h"

namespace platform {

// At most bufferSize - 1 bytes of the value (or of the default), as Windows fills a buffer of that
// size with its terminating NUL. Never holds a NUL: the default, too, ends at its first one.
std::string GetProfileString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize = 256);

// False when the value holds CR, LF or NUL, when a name would not read back as the same name
// (empty, blanks at either end, CR, LF or NUL; for a key also '=' anywhere or a leading ';' or
// '['), or when the file cannot be read or replaced. Never throws.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The same, with the cause of a failure in status as an errno value: EINVAL for what cannot be
// stored, EISDIR for a folder at the path, otherwise the cause the system gave for the read or
// the write that failed (ENOENT for a missing folder, EACCES, ENOSPC...).
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, WriteStatus& status);

}  // namespace platform
