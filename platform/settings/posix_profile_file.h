// The settings file on Linux: profile_file.h's reader and writer done here, byte by byte, and the
// test seams of its atomic replacement, which only this backend has.
//
// A file that starts with a byte-order mark, UTF-16LE (FF FE) or UTF-8 (EF BB BF), is read and
// written in that encoding as Windows does (profile_encoding.h): names and values are converted at
// the edge, '?' standing for a character Windows-1252 lacks, and the file goes back in its own
// encoding with its mark, every line but the written one as it was.
//
// The whole edited file goes back through ReplaceFileAtomically (atomic_file.h): a crash leaves the
// old file or the new one, never a mix, and the file keeps its permission bits (0644 when new). A
// crash just before the rename can leave a stray "<file>.XXXXXX" beside it, which the reader never
// looks at and later writes do not disturb. A symbolic link at the path is read through, then
// replaced by a file holding the edited content; its target is left alone. A writable file in a
// folder that refuses new files is rewritten in place instead (atomic_file.h). A path that is
// neither a folder nor a regular file (a device) fails with EINVAL.
//
//   WriteProfileString(..., beforeReplace)   the write with the hook before the rename
//   WriteProfileString(..., status, hooks)   the same with the cause, and both hooks
#pragma once

#include <string>

#include "platform/settings/atomic_file.h"
#include "platform/settings/profile_file.h"

namespace platform {

// Test seam: the hook is handed to ReplaceFileAtomically, so it sees the temporary file holding the
// whole edited content just before the rename, and returning false abandons the write there.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, const BeforeReplaceHook& beforeReplace);

// The status as in profile_file.h, ECANCELED when a hook abandoned the write; the hooks go to
// ReplaceFileAtomically.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, WriteStatus& status, const ReplaceHooks& hooks);

}  // namespace platform
