// Why a serial device could not be opened, in the terms every serial backend shares, so that the
// loader's report on a failed open reads the same whichever system runs it.
//
// The cause is the backend's reading of the system's own error code, which is kept beside it:
// errno on POSIX, GetLastError on Windows. Its text comes from the backend's DeviceErrorText.
//
//   OpenCause / OpenFailure   the kind of failure, and the name, device, error code and holder
//   DeviceErrorText           the system's English text for such an error code
#pragma once

#include <string>

namespace platform {

enum class OpenCause {
  NoSuchName,        // the name denotes no device
  NotFound,          // no such device (ENOENT, ENODEV, ENXIO; ERROR_FILE_NOT_FOUND, ...)
  PermissionDenied,  // EACCES, EPERM
  InUse,             // locked, in exclusive mode, or held by another process
  NotSerialDevice,   // not a character device, or not a terminal (ENOTTY)
  Other,
};

struct OpenFailure {
  std::string name;
  std::string path;  // the device the name denotes; empty for NoSuchName
  OpenCause cause = OpenCause::Other;
  int error = 0;      // the system's code for the call that failed, or one the backend chose; 0
  int holderPid = 0;  // InUse: the holding process when it could be seen, else 0
  std::string holderCommand;
};

// The system's text for the code, as its C library or message table words it, without a full
// stop: "Input/output error", "The system cannot find the file specified"; "error N" when the
// system has none.
std::string DeviceErrorText(int error);

}  // namespace platform
