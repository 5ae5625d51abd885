// The settings file on Windows: profile_file.h with the file read and edited as bytes
// (profile_document.h) and put back whole. Not through the system's own profile calls: they read
// and write a file without a byte-order mark in the system's code page, so on a station set to
// Chinese, Korean or Japanese a code's bytes above 0x7F came back changed or were lost (936 reads
// "12\xA3" back as "12"). Here the file's bytes are the same whatever the system's code page, and
// the same as the Linux backend writes.
//
// A write goes to "<file>.<process id>.tmp" beside the file, is flushed, and is moved over the
// file (MoveFileEx, write-through): a crash or a power cut leaves the old file or the new one,
// where the profile calls rewrote the file in place. A folder the operator may not write refuses
// the temporary file: the file itself, if it may be written, is then rewritten in place, as the
// profile calls did.
#include "platform/settings/profile_file.h"

#include <windows.h>
// <windows.h> names the system's own win.ini calls GetProfileString and WriteProfileString, as
// macros that would rename ours.
#undef GetProfileString
#undef WriteProfileString

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#include "platform/settings/profile_document.h"
#include "platform/settings/profile_syntax.h"

namespace platform {

namespace {

using profile::IsStorableKey;
using profile::IsStorableSectionName;
using profile::IsStorableValue;

// The system's reason for a failed read or write as the errno value the callers name
// (error_text.h).
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

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Closes the handle on every way out, an allocation failure part-way through a read included.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : m_handle(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return m_handle; }
  bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool closed = !valid() || CloseHandle(m_handle) != 0;
    m_handle = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE m_handle;
};

// 0 when read, ENOENT when there is no file, EISDIR for a folder, otherwise why it cannot be
// read. Others may read and write the file meanwhile, as with the profile calls.
int ReadWholeFile(const std::string& path, std::string& content) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid())
    return IsFolder(path) ? EISDIR : ErrnoFor(GetLastError());
  content.clear();
  char buffer[4096];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr))
      return ErrnoFor(GetLastError());
    if (count == 0)
      return 0;
    content.append(buffer, count);
  }
}

// Writes all of bytes and flushes them to the disk; 0 or the cause.
int WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1 << 20));
    DWORD count = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &count, nullptr))
      return ErrnoFor(GetLastError());
    written += count;
  }
  return FlushFileBuffers(file) ? 0 : ErrnoFor(GetLastError());
}

// Rewrites the existing file where it stands: not atomic, for a folder that refuses new files.
int RewriteInPlace(const std::string& path, const std::string& bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid())
    return ErrnoFor(GetLastError());
  if (const int error = WriteAll(file.get(), bytes); error != 0)
    return error;
  if (!SetEndOfFile(file.get()))
    return ErrnoFor(GetLastError());
  return file.Close() ? 0 : ErrnoFor(GetLastError());
}

// 0 when the file holds bytes, else the cause; on failure the old file is untouched, unless the
// in-place rewrite itself failed part-way.
int ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD refused = GetLastError();
    if (refused == ERROR_ACCESS_DENIED &&
        GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
      return RewriteInPlace(path, bytes);
    return ErrnoFor(refused);
  }
  int error = WriteAll(file.get(), bytes);
  if (!file.Close() && error == 0)
    error = ErrnoFor(GetLastError());
  if (error == 0 &&
      !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = ErrnoFor(GetLastError());
  if (error != 0)
    DeleteFileA(temp.c_str());
  return error;
}

}  // namespace

std::string GetProfileString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize) {
  const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  try {
    std::string bytes;
    if (ReadWholeFile(path, bytes) == 0) {
      if (std::optional<std::string> value = FindProfileValue(bytes, section, key))
        return value->substr(0, limit);
    }
  } catch (...) {
    // Out of memory while reading: the default, as for a file that cannot be read.
  }
  return defaultValue.substr(0, defaultValue.find('\0')).substr(0, limit);
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
    std::string bytes;
    if (const int error = ReadWholeFile(path, bytes); error != 0 && error != ENOENT) {
      status.error = error;
      return false;  // never replace a file whose content we could not keep
    }
    status.error = ReplaceFile(path, ProfileWithValue(bytes, section, key, value));
  } catch (...) {
    status.error = ENOMEM;  // the file's content or its edited copy
  }
  return status.error == 0;
}

}  // namespace platform
