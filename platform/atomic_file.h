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
//   ReplaceFileAtomically  puts the bytes in place of the file; false (file untouched) on failure
#pragma once

#include <functional>
#include <string>

namespace platform {

// Test seam: called once the temporary file holds the whole new content and is flushed to disk,
// just before it is renamed over the file. Returning false abandons the write at that point, as a
// failed rename would: the temporary file is removed and the call returns false.
using BeforeReplaceHook = std::function<bool(const std::string& tempPath)>;

// Creates the file when it is missing. Never throws, not even when the hook does.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes,
                           const BeforeReplaceHook& beforeReplace = nullptr);

}  // namespace platform
