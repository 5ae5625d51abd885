#include "app/settings_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/panel_app.h"
#include "tests/support/file_helpers.h"

namespace fs = std::filesystem;

namespace {

class SettingsFolderTest : public test_support::ConfigFolderTest {};

TEST_F(SettingsFolderTest, InstalledProgramKeepsItsCodesInTheStateFolderAnyOtherBesideItself) {
  const fs::path root = m_dir;
  const fs::path bin = root / "usr/bin";
  fs::create_directories(bin);
  fs::create_directory_symlink(bin, root / "bin");  // a merged /usr, as on Debian
  const std::string state = "/var/lib/codepanel/";
  const InstallLayout installed = {bin.string() + "/", state};

  struct Case {
    std::string executableFolder;
    InstallLayout layout;
    std::string expected;
  };
  const std::string unpacked = (root / "build/app/").string();
  const Case cases[] = {
      {bin.string() + "/", installed, state},
      {(root / "usr/bin/../bin/").string(), installed, state},
      {(root / "bin/").string(), installed, state},
      {(root / "usr/").string(), installed, (root / "usr/").string()},
      {unpacked, installed, unpacked},
      {(root / "usr/bin2/").string(), installed, (root / "usr/bin2/").string()},
      {bin.string() + "/", {"", state}, bin.string() + "/"},
      {bin.string() + "/", {bin.string() + "/", ""}, bin.string() + "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.executableFolder + " with bin " + c.layout.binFolder);
    EXPECT_EQ(SettingsFolder(c.executableFolder, c.layout), c.expected);
  }
}

TEST(SettingsFolder, BuiltForTheInstallFoldersOfThisBuild) {
  const InstallLayout& layout = InstalledLayout();
  EXPECT_EQ(layout.binFolder, CODEPANEL_INSTALLED_BINDIR "/");
  EXPECT_EQ(layout.stateFolder, CODEPANEL_STATE_DIR "/");
  // The test itself runs from the build tree, which is never the install folder.
  EXPECT_EQ(SettingsFolder(ExecutableFolder(), layout), ExecutableFolder());
}

}  // namespace
