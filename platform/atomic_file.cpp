#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace platform {
namespace {

constexpr mode_t kNewFileMode = 0644;

// Closes a descriptor on every way out of a scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return m_fd; }
  // A close can report a failed write-back; the caller must see that.
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

// Removes the temporary file unless it has been renamed into place.
class TempFile {
 public:
  explicit TempFile(std::string path) : m_path(std::move(path)) {}
  ~TempFile() {
    if (!m_path.empty())
      ::unlink(m_path.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return m_path; }
  void Release() { m_path.clear(); }

 private:
  std::string m_path;
};

// The bits of the file now at the path, through a link as a reader sees it; a missing file
// counts as a new one.
bool PermissionsToKeep(const std::string& path, mode_t& mode) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    mode = info.st_mode & 0777;
    return true;
  }
  if (errno != ENOENT)
    return false;
  mode = kNewFileMode;
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool Replace(const std::string& path, std::string_view bytes,
             const BeforeReplaceHook& beforeReplace) {
  mode_t mode = kNewFileMode;
  if (!PermissionsToKeep(path, mode))
    return false;
  std::string pattern = path + ".XXXXXX";
  FileDescriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
  if (file.get() < 0)
    return false;
  TempFile temp(std::move(pattern));
  // fchmod sets the bits exactly; the umask applies only to creation.
  if (::fchmod(file.get(), mode) != 0 || !WriteAll(file.get(), bytes) || ::fsync(file.get()) != 0 ||
      !file.Close()) {
    return false;
  }
  if (beforeReplace && !beforeReplace(temp.path()))
    return false;
  if (::rename(temp.path().c_str(), path.c_str()) != 0)
    return false;
  temp.Release();
  // Makes the rename itself durable. The new content is in place whatever this reports, so a
  // failure here is not a failed write.
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0)
    ::fsync(folder.get());
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes,
                           const BeforeReplaceHook& beforeReplace) {
  try {
    return Replace(path, bytes, beforeReplace);
  } catch (...) {
    // Out of memory, or a throwing hook: the temporary file is already gone.
    return false;
  }
}

}  // namespace platform
