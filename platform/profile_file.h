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
// A file that starts with a byte-order mark, UTF-16LE (FF FE) or UTF-8 (EF BB BF), is read and
// written in that encoding as Windows does (profile_encoding.h): names and values are converted at
// the edge, '?' standing for a character Windows-1252 lacks, and the file goes back in its own
// encoding with its mark, every line but the written one as it was.
//
// A write changes only the line of the key (rewritten as KEY=value with the key spelled as the file
// already has it), or adds one: a new key after the last line of its section that is neither blank
// nor a comment (trailing blank lines and comments stay with whatever follows); a new section at
// the end of the file. Every other byte stays as it was; lines the writer makes end with CRLF.
// A value is put in double quotes exactly when the reader would otherwise change it (a blank at
// either end, or the same quote at both ends), so every storable value reads back unchanged.
//
// The whole edited file goes back through ReplaceFileAtomically (atomic_file.h): a crash leaves the
// old file or the new one, never a mix, and the file keeps its permission bits (0644 when new). A
// crash just before the rename can leave a stray "<file>.XXXXXX" beside it, which the reader never
// looks at and later writes do not disturb. A symbolic link at the path is read through, then
// replaced by a file holding the edited content; its target is left alone. A writable file in a
// folder that refuses new files is rewritten in place instead (atomic_file.h).
//
//   GetProfileString    a value, or the default when the file, section or key is missing
//   WriteProfileString  sets a value; false (file untouched) when it cannot be stored or written,
//                       and with a WriteStatus, the cause
#pragma once

#include <cstddef>
#include <string>

#include "platform/atomic_file.h"

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

// Test seam: the hook is handed to ReplaceFileAtomically, so it sees the temporary file holding the
// whole edited content just before the rename, and returning false abandons the write there.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, const BeforeReplaceHook& beforeReplace);

// The same, with the cause of a failure in status: EINVAL for what cannot be stored, EISDIR for a
// folder at the path and EINVAL for any other path that is no regular file, otherwise the errno of
// the read or the write that failed (atomic_file.h). The hooks go to ReplaceFileAtomically.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, WriteStatus& status,
                        const ReplaceHooks& hooks = {});

}  // namespace platform
