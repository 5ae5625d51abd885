// The settings file on Windows: profile_file.h through the system's own profile calls, which read
// and edit the file in their own way (encoding marks included) and rewrite it in place. What this
// file adds is what the interface promises on every system: the same names and values refused,
// the same quotes around a value the reader would change, a name holding a NUL matching nothing,
// and the cause of a failed write as an errno value.
//
// Where the system's calls differ from the Linux backend, as wine 8.0 shows them (the same cases
// run against both in profile_backend_test.cpp; these are outside what the callers use):
//   - a write rewrites every line in the system's layout: blanks around names and values and
//     blank lines dropped, LF line ends turned into CRLF; a new key goes after the section's
//     comments too, where Linux leaves trailing comments to what follows;
//   - the default loses blanks at its end and one pair of quotes around it;
//   - in a file, a NUL ends a line's name where it stands, so "K<NUL>Z=v" answers for K;
//   - the file is rewritten in place: a crash part-way can leave it short.
#include "platform/settings/profile_file.h"

#include <windows.h>
// <windows.h> names the system's own win.ini calls GetProfileString and WriteProfileString, as
// macros that would rename ours.
#undef GetProfileString
#undef WriteProfileString

#include <algorithm>
#include <cerrno>

#include "platform/settings/profile_syntax.h"

namespace platform {

namespace {

using profile::IsStorableKey;
using profile::IsStorableSectionName;
using profile::IsStorableValue;
using profile::StoredValue;

bool HasNul(const std::string& text) {
  return text.find('\0') != std::string::npos;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The system's reason for a failed write as the errno value the callers name (error_text.h).
int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    default:
      return EIO;  // a failure the system did not explain in terms we know
  }
}

}  // namespace

std::string GetProfileString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize) {
  if (bufferSize == 0)
    return {};
  // The system would take a name only up to its NUL, and so find another name.
  if (HasNul(section) || HasNul(key))
    return defaultValue.substr(0, defaultValue.find('\0')).substr(0, bufferSize - 1);
  // The caller's size is the buffer's, as the system's call is given it.
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bufferSize, MAXDWORD));
  std::string value(size, '\0');
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                value.data(), size, path.c_str());
  value.resize(length);
  return value;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  WriteStatus ignored;
  return WriteProfileString(path, section, key, value, ignored);
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, WriteStatus& status) {
  status.error = 0;
  if (!IsStorableSectionName(section) || !IsStorableKey(key) || !IsStorableValue(value)) {
    status.error = EINVAL;
    return false;
  }
  try {
    const std::string stored = StoredValue(value);
    SetLastError(ERROR_SUCCESS);
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(), path.c_str()))
      return true;
    // The system says "access denied" for a folder at the path; the caller's text says what it is.
    status.error = IsFolder(path) ? EISDIR : ErrnoFor(GetLastError());
  } catch (...) {
    status.error = ENOMEM;  // the quoted copy of the value
  }
  return false;
}

}  // namespace platform
