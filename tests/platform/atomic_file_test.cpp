#include "platform/settings/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/file_helpers.h"

namespace {

namespace fs = std::filesystem;
using platform::ReplaceFileAtomically;

using test_support::PermissionBits;
using test_support::ReadBytes;
using test_support::ScopedUmask;
using test_support::WriteBytes;

using AtomicFileTest = test_support::ConfigFolderTest;

// Every byte value, so that nothing on the way translates line ends, stops at a NUL or treats
// Windows-1252 bytes as text.
std::string AllByteValues(std::size_t length) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i)
    bytes.push_back(static_cast<char>(i % 256));
  return bytes;
}

TEST_F(AtomicFileTest, WritesTheBytesExactlyAndKeepsThePermissionBits) {
  // The bits are exact whatever the umask says.
  const ScopedUmask umask(077);
  const std::string bytes = AllByteValues(100000);
  ASSERT_TRUE(ReplaceFileAtomically(m_path, bytes));
  EXPECT_EQ(ReadBytes(m_path), bytes);
  EXPECT_EQ(PermissionBits(m_path), 0644u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});

  ASSERT_TRUE(ReplaceFileAtomically(m_path, ""));
  EXPECT_TRUE(fs::is_regular_file(m_path));
  EXPECT_EQ(fs::file_size(m_path), 0u);

  for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0664}, mode_t{0755}}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(m_path.c_str(), mode), 0);
    const std::string next = "[SETTING]\r\nLAST_CODE=" + std::to_string(mode) + "\r\n";
    ASSERT_TRUE(ReplaceFileAtomically(m_path, next));
    EXPECT_EQ(ReadBytes(m_path), next);
    EXPECT_EQ(PermissionBits(m_path), mode);
    EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});
  }
}

TEST_F(AtomicFileTest, ReplacesALinkByAFileAndLeavesItsTargetAlone) {
  const ScopedUmask umask(077);
  const std::string target = m_dir + "/target.dat";
  WriteBytes(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink(target, m_path);
  ASSERT_TRUE(ReplaceFileAtomically(m_path, "new"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_path)));
  EXPECT_EQ(ReadBytes(m_path), "new");
  // The file takes the bits a reader of the link saw.
  EXPECT_EQ(PermissionBits(m_path), 0640u);
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(PermissionBits(target), 0640u);

  // A link to nothing counts as a missing file; its target is not created.
  const std::string nowhere = m_dir + "/nowhere.dat";
  fs::remove(m_path);
  fs::create_symlink(nowhere, m_path);
  ASSERT_TRUE(ReplaceFileAtomically(m_path, "fresh"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_path)));
  EXPECT_EQ(ReadBytes(m_path), "fresh");
  EXPECT_EQ(PermissionBits(m_path), 0644u);
  EXPECT_FALSE(fs::exists(fs::symlink_status(nowhere)));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"config.dat", "target.dat"}));
}

TEST_F(AtomicFileTest, FailsQuietlyWhereItCannotWrite) {
  const std::string plainFile = m_dir + "/plain";
  WriteBytes(plainFile, "not a folder");
  const std::string folder = m_dir + "/folder";
  ASSERT_TRUE(fs::create_directory(folder));
  const std::vector<std::string> entries = Entries();

  // The last one fails only at the rename, after the temporary file is written. Each says why.
  const std::pair<std::string, int> cases[] = {
      {m_dir + "/missing/config.dat", ENOENT},
      {plainFile + "/config.dat", ENOTDIR},
      {folder, EISDIR},
  };
  for (const auto& [path, error] : cases) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(ReplaceFileAtomically(path, "x"));
    platform::WriteStatus status;
    EXPECT_FALSE(ReplaceFileAtomically(path, "x", status));
    EXPECT_EQ(status.error, error);
    EXPECT_EQ(Entries(), entries);
    EXPECT_TRUE(fs::is_empty(folder));
  }
  EXPECT_EQ(ReadBytes(plainFile), "not a folder");
}

// What a folder says when it refuses the temporary file, through the seam so that root sees it too.
platform::ReplaceHooks TempFileRefused(int error) {
  return {nullptr, [error](std::string&) {
            errno = error;
            return -1;
          }};
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info;
}

TEST_F(AtomicFileTest, RewritesAWritableFileInPlaceWhenTheFolderRefusesTheTemporaryFile) {
  for (const int refusal : {EACCES, EPERM, EROFS}) {
    SCOPED_TRACE(refusal);
    WriteBytes(m_path, "a longer old content that must not survive at the end");
    ASSERT_EQ(::chmod(m_path.c_str(), 0640), 0);
    const struct stat before = StatOf(m_path);
    const std::string bytes = AllByteValues(5000);
    platform::WriteStatus status;
    ASSERT_TRUE(ReplaceFileAtomically(m_path, bytes, status, TempFileRefused(refusal)));
    EXPECT_EQ(status.error, 0);
    EXPECT_EQ(ReadBytes(m_path), bytes);
    // The same file, not a new one: owner and bits are its own.
    const struct stat after = StatOf(m_path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(PermissionBits(m_path), 0640u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});
  }

  // Through a link, the target is the file written; the link stays.
  const std::string target = m_dir + "/target.dat";
  WriteBytes(target, "old");
  fs::remove(m_path);
  fs::create_symlink(target, m_path);
  platform::WriteStatus status;
  ASSERT_TRUE(ReplaceFileAtomically(m_path, "new", status, TempFileRefused(EACCES)));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(m_path)));
  EXPECT_EQ(ReadBytes(target), "new");
}

TEST_F(AtomicFileTest, KeepsFailingWhereTheFileCannotBeRewrittenInPlace) {
  WriteBytes(m_path, "old");
  const std::string folder = m_dir + "/folder";
  ASSERT_TRUE(fs::create_directory(folder));
  const std::string fifo = m_dir + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::vector<std::string> entries = Entries();
  struct Case {
    const char* name;
    std::string path;
    int refusal;
    int error;
  };
  const Case cases[] = {
      // Any other reason for the temporary file to fail is not a folder that refuses it.
      {"file system full", m_path, ENOSPC, ENOSPC},
      {"too many open files", m_path, EMFILE, EMFILE},
      // Nothing to rewrite: the folder's refusal is the cause.
      {"no file yet", m_dir + "/new.dat", EACCES, EACCES},
      {"a folder at the path", folder, EROFS, EROFS},
      // Never waits for a reader, never truncates anything but a regular file.
      {"a pipe at the path", fifo, EACCES, EACCES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::WriteStatus status;
    EXPECT_FALSE(ReplaceFileAtomically(c.path, "new", status, TempFileRefused(c.refusal)));
    EXPECT_EQ(status.error, c.error);
    EXPECT_EQ(ReadBytes(m_path), "old");
    EXPECT_EQ(Entries(), entries);
  }
}

TEST_F(AtomicFileTest, InAFolderTheUserCannotWriteOnlyAWritableFileIsSaved) {
  const std::string locked = m_dir + "/locked";
  ASSERT_TRUE(fs::create_directory(locked));
  const std::string writable = locked + "/config.dat";
  const std::string readOnly = locked + "/readonly.dat";
  WriteBytes(writable, "old content, longer than the new");
  WriteBytes(readOnly, "kept");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  const std::string probe = locked + "/probe";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) {
    ::close(fd);
    ::unlink(probe.c_str());
    GTEST_SKIP() << "root writes in a 0555 folder; the seam tests above cover the fallback";
  }
  const std::vector<std::string> entries = Entries(locked);

  platform::WriteStatus status;
  ASSERT_TRUE(ReplaceFileAtomically(writable, "new", status));
  EXPECT_EQ(ReadBytes(writable), "new");
  EXPECT_EQ(PermissionBits(writable), 0644u);

  EXPECT_FALSE(ReplaceFileAtomically(readOnly, "new", status));
  EXPECT_EQ(status.error, EACCES);
  EXPECT_EQ(ReadBytes(readOnly), "kept");
  EXPECT_FALSE(ReplaceFileAtomically(locked + "/new.dat", "new", status));
  EXPECT_EQ(status.error, EACCES);
  EXPECT_EQ(Entries(locked), entries);
}

TEST_F(AtomicFileTest, AbandonedReplaceLeavesTheOldFileAndNoTemporaryFile) {
  WriteBytes(m_path, "old");
  ASSERT_EQ(::chmod(m_path.c_str(), 0600), 0);

  int calls = 0;
  std::string tempPath;
  std::string tempContent;
  const auto abandon = [&](const std::string& path) {
    ++calls;
    tempPath = path;
    tempContent = ReadBytes(path);
    EXPECT_EQ(PermissionBits(path), 0600u);
    return false;
  };
  platform::WriteStatus status;
  EXPECT_FALSE(ReplaceFileAtomically(m_path, "new", status, {abandon, nullptr}));
  EXPECT_EQ(status.error, ECANCELED);
  EXPECT_EQ(calls, 1);
  // The whole new content, with its final bits, was in a file beside the old one before the
  // rename was due.
  EXPECT_EQ(fs::path(tempPath).parent_path(), fs::path(m_dir));
  EXPECT_EQ(fs::path(tempPath).filename().string().rfind("config.dat.", 0), 0u) << tempPath;
  EXPECT_EQ(tempContent, "new");
  EXPECT_EQ(ReadBytes(m_path), "old");
  EXPECT_EQ(PermissionBits(m_path), 0600u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});

  const auto throwing = [](const std::string&) -> bool { throw std::runtime_error("hook"); };
  EXPECT_FALSE(ReplaceFileAtomically(m_path, "new", throwing));
  EXPECT_FALSE(ReplaceFileAtomically(m_path, "new", status, {throwing, nullptr}));
  EXPECT_EQ(status.error, ECANCELED);
  EXPECT_EQ(ReadBytes(m_path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});

  // Abandoning the first write of a file leaves no file at all.
  const std::string fresh = m_dir + "/fresh.dat";
  const auto abandonFresh = [&](const std::string& path) {
    tempContent = ReadBytes(path);
    return false;
  };
  EXPECT_FALSE(ReplaceFileAtomically(fresh, "first", abandonFresh));
  EXPECT_EQ(tempContent, "first");
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});

  // A hook that lets the write go on sees it through.
  const auto proceed = [&](const std::string& path) {
    ++calls;
    return fs::exists(path);
  };
  calls = 0;
  ASSERT_TRUE(ReplaceFileAtomically(m_path, "new", proceed));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ReadBytes(m_path), "new");
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});
}

TEST_F(AtomicFileTest, CrashBeforeTheRenameLeavesTheOldFileWhole) {
  const std::string before = "[SETTING]\r\nLAST_CODE=old\r\n";
  WriteBytes(m_path, before);

  // A child process dies at the worst moment: new content on disk, rename not yet done. Nothing
  // cleans up after a real crash, so the temporary file stays behind.
  constexpr int kCrashed = 42;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ReplaceFileAtomically(m_path, "[SETTING]\r\nLAST_CODE=new\r\n",
                          [](const std::string&) -> bool { ::_exit(kCrashed); });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), kCrashed);

  EXPECT_EQ(ReadBytes(m_path), before);
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].rfind("config.dat.", 0), 0u) << entries[1];
  const std::string stray = m_dir + "/" + entries[1];
  EXPECT_EQ(ReadBytes(stray), "[SETTING]\r\nLAST_CODE=new\r\n");

  // The next replacement goes through beside the stray file and leaves it as it was.
  ASSERT_TRUE(ReplaceFileAtomically(m_path, "[SETTING]\r\nLAST_CODE=newer\r\n"));
  EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=newer\r\n");
  EXPECT_EQ(ReadBytes(stray), "[SETTING]\r\nLAST_CODE=new\r\n");
  EXPECT_EQ(Entries(), entries);
}

}  // namespace
