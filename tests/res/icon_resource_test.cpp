// The program's icon resource holds every image of the panel's icon file, found by number 128 as
// the panel finds it, and loads at the sizes the desktop asks for.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// One image of an icon, as both the .ico file and the icon group resource describe it.
struct ImageSize {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  bool operator==(const ImageSize&) const = default;
};

std::uint16_t Word(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The images an icon directory lists: a 6-byte header, then entries of entrySize bytes (16 in a
// file, 14 in a resource); a width or height of 0 stands for 256.
std::vector<ImageSize> Images(const std::uint8_t* directory, std::size_t size,
                              std::size_t entrySize) {
  std::vector<ImageSize> images;
  if (size < 6)
    return images;
  const std::size_t count = Word(directory + 4);
  for (std::size_t i = 0; i < count && 6 + (i + 1) * entrySize <= size; ++i) {
    const std::uint8_t* entry = directory + 6 + i * entrySize;
    images.push_back(
        {entry[0] == 0 ? 256 : entry[0], entry[1] == 0 ? 256 : entry[1], Word(entry + 6)});
  }
  return images;
}

TEST(IconResource, HoldsEveryImageOfTheIconFileAndLoadsAtTheDesktopSizes) {
  std::ifstream file(CODEPANEL_ICON_FILE, std::ios::binary);
  ASSERT_TRUE(file) << CODEPANEL_ICON_FILE;
  const std::vector<std::uint8_t> icoFile{std::istreambuf_iterator<char>(file), {}};
  const std::vector<ImageSize> inFile = Images(icoFile.data(), icoFile.size(), 16);
  ASSERT_FALSE(inFile.empty());

  const HMODULE self = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(self, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr) << "no icon group 128";
  const auto* directory = static_cast<const std::uint8_t*>(LockResource(LoadResource(self, group)));
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(Images(directory, SizeofResource(self, group), 14), inFile);

  for (const int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(self, MAKEINTRESOURCEA(128), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    ASSERT_NE(GetObjectA(info.hbmColor, sizeof colour, &colour), 0);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

}  // namespace
