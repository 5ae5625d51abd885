// Small file helpers for tests that read and write real files: whole-file bytes, permission
// bits, and a umask for one scope.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline mode_t PermissionBits(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 0777;
}

// Sets the process umask for one scope; tests run on one thread.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
  ~ScopedUmask() { ::umask(m_old); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t m_old;
};

// A fresh folder per test, with a config.dat path in it; removed afterwards, also when a test left
// parts of it unwritable.
class ConfigFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (BaseFolder() / "codepanel_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    m_path = m_dir + "/config.dat";
  }

  void TearDown() override {
    namespace fs = std::filesystem;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_dir, ignored)) {
      if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(m_dir, ignored);
  }

  virtual std::filesystem::path BaseFolder() const {
    return std::filesystem::temp_directory_path();
  }

  // The names in a folder, sorted.
  std::vector<std::string> Entries(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Entries() const { return Entries(m_dir); }

  std::string m_dir;
  std::string m_path;
};

}  // namespace test_support
