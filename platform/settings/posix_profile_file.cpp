#include "platform/settings/posix_profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// ---- Reading -----------------------------------------------------------------------------------

// Closes the descriptor on every way out, an allocation failure part-way through a read included.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path)
      : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~ReadOnlyFile() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

// 0 when read, ENOENT when there is no file, otherwise why it cannot be read.
int ReadWholeFile(const std::string& path, std::string& content) {
  const ReadOnlyFile file(path);
  if (file.get() < 0)
    return errno;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0)
    return errno;
  if (!S_ISREG(info.st_mode))
    return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  content.clear();
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count == 0)
      return 0;
    if (count < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    content.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace

std::string GetProfileString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize) {
  const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  std::string bytes;
  if (ReadWholeFile(path, bytes) == 0) {
    if (std::optional<std::string> value = FindProfileValue(bytes, section, key))
      return value->substr(0, limit);
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
  return WriteProfileString(path, section, key, value, status, ReplaceHooks{});
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, const BeforeReplaceHook& beforeReplace) {
  WriteStatus ignored;
  return WriteProfileString(path, section, key, value, ignored, {beforeReplace, nullptr});
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value, WriteStatus& status, const ReplaceHooks& hooks) {
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
    return ReplaceFileAtomically(path, ProfileWithValue(bytes, section, key, value), status, hooks);
  } catch (...) {
    // Out of memory while reading or editing; the replacement itself never throws.
    status.error = ENOMEM;
    return false;
  }
}

}  // namespace platform
