#include "app/settings_folder.h"

#include <filesystem>
#include <system_error>

namespace {

// "/usr/bin" and "/usr/bin/" are one folder; so are a link and its target.
std::string Normalised(const std::string& folder) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::weakly_canonical(folder, error);
  if (error)
    path = std::filesystem::path(folder).lexically_normal();
  std::string text = path.string();
  while (text.size() > 1 && text.back() == '/')
    text.pop_back();
  return text;
}

}  // namespace

std::string SettingsFolder(const std::string& executableFolder, const InstallLayout& layout) {
  if (!layout.binFolder.empty() && !layout.stateFolder.empty() &&
      Normalised(executableFolder) == Normalised(layout.binFolder))
    return layout.stateFolder;
  return executableFolder;
}
