// The outcome of writing a file, as a value the caller can name the cause from.
//
//   WriteStatus   the errno-style code of the step that refused the write; 0 once written
#pragma once

namespace platform {

// Why a write failed, so that a caller can name the cause (ErrorText, error_text.h): an errno
// value such as EACCES or ENOSPC, whatever system the backend runs on; 0 once the file holds the
// new content.
struct WriteStatus {
  int error = 0;
  bool ok() const { return error == 0; }
};

}  // namespace platform
