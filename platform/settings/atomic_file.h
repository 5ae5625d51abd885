// Replacing a file as a whole, so that a crash or a power cut leaves either the old content or the
// new one, never a mix.
//
// The new bytes go to a temporary file "<file>.XXXXXX" beside the file (a rename is atomic only
// within one file system), are flushed to disk, take the old file's permission bits (0644 for a
// new file, whatever the umask) and are renamed over the old file; then the folder is flushed so
// that the rename itself survives a power cut. On any failure the temporary file is removed and the
// old file stays as it was. Only a crash before the rename can leave a stray temporary file,
// which later replacements neither need nor disturb. The path is replaced as given: a symbolic
// link there becomes a file (with its target's permission bits), the target left alone.
//
// A folder the user may not write (or a read-only one) refuses the temporary file. If the file
// itself may be written there, it is rewritten in place instead, as Windows writes such a file:
// truncated, written and flushed, keeping its owner and bits, through a link to its target. That
// one is not atomic: a crash part-way can leave it short. Any other failure stays a failure.
//
//   ReplaceFileAtomically  puts the bytes in place of the file; false (file untouched) on failure,
//                          and with a WriteStatus (write_status.h), the cause: the errno of the
//                          step that refused it, ECANCELED when a test hook abandoned the write,
//                          ENOMEM when memory ran out
#pragma once

#include <functional>
#include <string>

#include "platform/settings/write_status.h"

namespace platform {

// Test seam: called once the temporary file holds the whole new content and is flushed to disk,
// just before it is renamed over the file. Returning false abandons the write at that point, as a
// failed rename would: the temporary file is removed and the call returns false. Not called when
// the file is rewritten in place.
using BeforeReplaceHook = std::function<bool(const std::string& tempPath)>;

// Test seam: stands in for mkostemp(pattern, O_CLOEXEC), so that a test run as root (which no
// folder refuses) can still see the temporary file refused. Returns the descriptor, or -1 with
// errno set.
using CreateTempHook = std::function<int(std::string& pattern)>;

struct ReplaceHooks {
  BeforeReplaceHook beforeReplace;
  CreateTempHook createTemp;
};

// Creates the file when it is missing. Never throws, not even when a hook does.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes,
                           const BeforeReplaceHook& beforeReplace = nullptr);
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, WriteStatus& status,
                           const ReplaceHooks& hooks = {});

}  // namespace platform
