#include "fuzz/scratch_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fuzz {
namespace {

namespace fs = std::filesystem;

std::string g_folder;

void RemoveFolder() {
  std::error_code ignored;
  fs::remove_all(g_folder, ignored);
}

std::string MakeFolder() {
  std::error_code error;
  fs::path base = "/dev/shm";
  if (!fs::is_directory(base, error) || ::access(base.c_str(), W_OK) != 0)
    base = fs::temp_directory_path(error);
  std::string pattern = (base / "codepanel-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("codepanel fuzz: mkdtemp");
    std::abort();
  }
  g_folder = pattern;
  std::atexit(RemoveFolder);
  return g_folder;
}

}  // namespace

const std::string& ScratchFile() {
  static const std::string file = MakeFolder() + "/config.dat";
  return file;
}

bool PutFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::optional<std::string> FileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t FolderEntries() {
  std::error_code error;
  const auto entries = fs::directory_iterator(fs::path(ScratchFile()).parent_path(), error);
  return error ? 0 : static_cast<std::size_t>(std::distance(entries, fs::directory_iterator()));
}

}  // namespace fuzz
