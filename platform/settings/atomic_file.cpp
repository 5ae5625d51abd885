#include "platform/settings/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
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
int PermissionsToKeep(const std::string& path, mode_t& mode) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    mode = info.st_mode & 0777;
    return 0;
  }
  if (errno != ENOENT)
    return errno;
  mode = kNewFileMode;
  return 0;
}

// 0, or the errno of the write that failed.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The ways a folder says no to a new file in it, as opposed to a file system that is full or a
// folder that is not there.
bool FolderRefusesNewFiles(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

int CreateTemp(std::string& pattern, const CreateTempHook& createTemp) {
  return createTemp ? createTemp(pattern) : ::mkostemp(pattern.data(), O_CLOEXEC);
}

// Each step's errno is taken at once: the clean-up on the way out (close, unlink) may change it.
int WriteInPlace(const std::string& path, std::string_view bytes, int folderError) {
  // No O_CREAT: a file that is not there cannot be made in this folder, and O_TRUNC waits until the
  // descriptor is known to be a regular file.
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0)
    return folderError;  // the folder's refusal is the cause worth naming
  struct stat info {};
  if (::fstat(file.get(), &info) != 0)
    return errno;
  if (!S_ISREG(info.st_mode))
    return folderError;
  if (::ftruncate(file.get(), 0) != 0)
    return errno;
  if (const int error = WriteAll(file.get(), bytes); error != 0)
    return error;
  if (::fsync(file.get()) != 0)
    return errno;
  return file.Close() ? 0 : errno;
}

int Replace(const std::string& path, std::string_view bytes, const ReplaceHooks& hooks) {
  mode_t mode = kNewFileMode;
  if (const int error = PermissionsToKeep(path, mode); error != 0)
    return error;
  std::string pattern = path + ".XXXXXX";
  FileDescriptor file(CreateTemp(pattern, hooks.createTemp));
  if (file.get() < 0) {
    const int error = errno;
    return FolderRefusesNewFiles(error) ? WriteInPlace(path, bytes, error) : error;
  }
  TempFile temp(std::move(pattern));
  // fchmod sets the bits exactly; the umask applies only to creation.
  if (::fchmod(file.get(), mode) != 0)
    return errno;
  if (const int error = WriteAll(file.get(), bytes); error != 0)
    return error;
  if (::fsync(file.get()) != 0)
    return errno;
  if (!file.Close())
    return errno;
  if (hooks.beforeReplace && !hooks.beforeReplace(temp.path()))
    return ECANCELED;
  if (::rename(temp.path().c_str(), path.c_str()) != 0)
    return errno;
  temp.Release();
  // Makes the rename itself durable. The new content is in place whatever this reports, so a
  // failure here is not a failed write.
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0)
    ::fsync(folder.get());
  return 0;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes,
                           const BeforeReplaceHook& beforeReplace) {
  WriteStatus ignored;
  return ReplaceFileAtomically(path, bytes, ignored, {beforeReplace, nullptr});
}

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, WriteStatus& status,
                           const ReplaceHooks& hooks) {
  try {
    status.error = Replace(path, bytes, hooks);
  } catch (const std::bad_alloc&) {
    status.error = ENOMEM;  // the temporary file is already gone, as below
  } catch (...) {
    status.error = ECANCELED;  // a throwing hook abandons the write like one returning false
  }
  return status.ok();
}

}  // namespace platform
