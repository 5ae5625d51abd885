#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "res/dialog_template.h"

namespace {

using res::ControlKind;
using res::ControlTemplate;
using res::kPanelTemplate;

TEST(PanelTemplate, IsAFramelessCentredApplicationWindow) {
  ASSERT_EQ(res::FindDialogTemplate(102), &kPanelTemplate);
  EXPECT_EQ(kPanelTemplate.id, 102);
  EXPECT_EQ(kPanelTemplate.width, 423);
  EXPECT_EQ(kPanelTemplate.height, 294);
  EXPECT_STREQ(kPanelTemplate.fontFace, "MS Shell Dlg");
  EXPECT_EQ(kPanelTemplate.pointSize, 8);
  EXPECT_EQ(kPanelTemplate.weight, 400);
  EXPECT_EQ(kPanelTemplate.style, res::kDialogPopup | res::kDialogVisible | res::kDialogNoTitleBar |
                                      res::kDialogModalFrame | res::kDialog3DLook |
                                      res::kDialogCentered | res::kDialogShellFont |
                                      res::kDialogAppWindow);
  EXPECT_STREQ(kPanelTemplate.title, "");
  // The keyboard must still be found beside it.
  EXPECT_EQ(res::FindDialogTemplate(129), &res::kKeyboardTemplate);
}

TEST(PanelTemplate, ControlsComeInTemplateOrderWithTheirLookAndPlace) {
  using namespace res;
  constexpr unsigned kField =
      kStyleBorder | kStyleTabStop | kStyleAutoHScroll | kStyleAlignRight | kStyleExRightAlign;
  constexpr unsigned kList = kStyleBorder | kStyleVScroll | kStyleTabStop | kStyleNoSelection |
                             kStyleNoIntegralHeight | kStyleNotify | kStyleSort;
  const ControlTemplate expected[] = {
      {1000, ControlKind::kPushButton, "Invia a scanner", kStyleTabStop, 309, 91, 105, 22},
      {1003, ControlKind::kEdit, "", kField, 7, 93, 294, 18},
      {1001, ControlKind::kPushButton, "Invia a scanner", kStyleTabStop, 309, 145, 105, 22},
      {1004, ControlKind::kEdit, "", kField, 7, 147, 294, 18},
      {1005, ControlKind::kStaticText,
       "Codice di controllo astuccio :", kStyleAlignRight | kStyleGroup, 7, 79, 294, 11},
      {1006, ControlKind::kStaticText,
       "Codice di controllo letteratura :", kStyleAlignRight | kStyleGroup, 7, 133, 294, 11},
      {-1, ControlKind::kPicture, "", kStyleCenterImage | kStyleSunken, 7, 7, 409, 58, 135},
      {1007, ControlKind::kListBox, "", kList, 7, 189, 409, 82},
      {1008, ControlKind::kStaticText, "Static", kStyleAlignRight | kStyleGroup, 315, 69, 100, 8},
      {1009, ControlKind::kStaticText, "www.codepanel.example", kStyleAlignLeft | kStyleGroup, 7,
       68, 157, 8},
      {1010, ControlKind::kPushButton, "Esci", kStyleTabStop, 308, 274, 50, 13},
      {1011, ControlKind::kPushButton, "Spegni", kStyleTabStop, 366, 274, 50, 13},
  };
  ASSERT_EQ(kPanelTemplate.controls.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const ControlTemplate& want = expected[i];
    const ControlTemplate& got = kPanelTemplate.controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(want.id));
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.kind, want.kind);
    EXPECT_STREQ(got.caption, want.caption);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.bitmapId, want.bitmapId);
    if (want.id != -1) {
      EXPECT_EQ(res::FindControl(kPanelTemplate, want.id), &got);
    }
  }
}

TEST(PanelTemplate, TabOrderButtonsAndBounds) {
  std::vector<int> tabOrder;
  std::set<int> ids;
  for (const ControlTemplate& control : kPanelTemplate.controls) {
    SCOPED_TRACE("id " + std::to_string(control.id));
    if (control.style & res::kStyleTabStop)
      tabOrder.push_back(control.id);
    if (control.id != -1) {
      EXPECT_TRUE(ids.insert(control.id).second) << "id used twice";
    }
    // Nothing but the tab stop: no button is the default one that Enter would press.
    if (control.kind == ControlKind::kPushButton) {
      EXPECT_EQ(control.style, res::kStyleTabStop);
    }
    EXPECT_GE(control.x, 0);
    EXPECT_GE(control.y, 0);
    EXPECT_LE(control.x + control.width, kPanelTemplate.width);
    EXPECT_LE(control.y + control.height, kPanelTemplate.height);
  }
  EXPECT_EQ(tabOrder, (std::vector<int>{1000, 1003, 1001, 1004, 1007, 1010, 1011}));
  // No OK (1) or Cancel (2) control: Enter and Escape must not close the panel by themselves.
  EXPECT_EQ(ids.count(1), 0u);
  EXPECT_EQ(ids.count(2), 0u);
}

// Little-endian fields of a file read whole; reads past the end give 0 and mark the file short.
class FileBytes {
 public:
  explicit FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    m_bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  std::size_t Size() const { return m_bytes.size(); }
  bool Short() const { return m_short; }
  std::uint32_t U8(std::size_t at) {
    if (at >= m_bytes.size()) {
      m_short = true;
      return 0;
    }
    return static_cast<unsigned char>(m_bytes[at]);
  }
  std::uint32_t U16(std::size_t at) { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::size_t at) { return U16(at) | U16(at + 2) << 16; }

 private:
  std::vector<char> m_bytes;
  bool m_short = false;
};

std::uint32_t RowBytes(std::uint32_t width, std::uint32_t bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

TEST(PanelArtwork, BannerIsAnUncompressed24BitBottomUpBitmap) {
  FileBytes bmp(CODEPANEL_RES_DIR "/banner.bmp");
  ASSERT_GT(bmp.Size(), 54u);
  EXPECT_EQ(bmp.U8(0), 'B');
  EXPECT_EQ(bmp.U8(1), 'M');
  EXPECT_EQ(bmp.U32(2), bmp.Size());  // file size
  EXPECT_EQ(bmp.U32(10), 54u);        // pixels right after the two headers
  EXPECT_EQ(bmp.U32(14), 40u);        // BITMAPINFOHEADER
  EXPECT_EQ(bmp.U32(18), 638u);
  EXPECT_EQ(bmp.U32(22), 90u);  // positive: rows stored bottom-up
  EXPECT_EQ(bmp.U16(26), 1u);
  EXPECT_EQ(bmp.U16(28), 24u);
  EXPECT_EQ(bmp.U32(30), 0u);  // uncompressed
  const std::uint32_t imageBytes = RowBytes(638, 24) * 90;
  EXPECT_EQ(RowBytes(638, 24), 1916u);  // 1914 bytes of pixels, padded to four
  const std::uint32_t storedImageBytes = bmp.U32(34);
  EXPECT_TRUE(storedImageBytes == 0 || storedImageBytes == imageBytes) << storedImageBytes;
  EXPECT_EQ(bmp.Size(), 54u + imageBytes);
  EXPECT_FALSE(bmp.Short());
}

TEST(PanelArtwork, IconHoldsThreeSizesInThreeColourDepths) {
  FileBytes ico(CODEPANEL_RES_DIR "/panel.ico");
  ASSERT_GE(ico.Size(), 6u);
  EXPECT_EQ(ico.U16(0), 0u);
  EXPECT_EQ(ico.U16(2), 1u);  // an icon, not a cursor
  const std::uint32_t count = ico.U16(4);
  ASSERT_EQ(count, 9u);

  std::set<std::pair<std::uint32_t, std::uint32_t>> images;  // size, bits per pixel
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    SCOPED_TRACE("image " + std::to_string(i));
    const std::uint32_t width = ico.U8(entry);
    const std::uint32_t height = ico.U8(entry + 1);
    const std::uint32_t colourCount = ico.U8(entry + 2);
    const std::uint32_t bits = ico.U16(entry + 6);
    const std::uint32_t bytes = ico.U32(entry + 8);
    const std::uint32_t offset = ico.U32(entry + 12);
    EXPECT_EQ(width, height);
    EXPECT_EQ(colourCount, bits == 4 ? 16u : 0u);
    EXPECT_EQ(ico.U16(entry + 4), 1u);  // planes
    images.insert({width, bits});

    // The image itself: a BITMAPINFOHEADER over colour bits and mask, hence twice the height.
    EXPECT_EQ(ico.U32(offset), 40u);
    EXPECT_EQ(ico.U32(offset + 4), width);
    EXPECT_EQ(ico.U32(offset + 8), 2 * height);
    EXPECT_EQ(ico.U16(offset + 14), bits);
    EXPECT_EQ(ico.U32(offset + 16), 0u);  // uncompressed
    const std::uint32_t paletteBytes = bits <= 8 ? 4u << bits : 0u;
    EXPECT_EQ(bytes, 40 + paletteBytes + (RowBytes(width, bits) + RowBytes(width, 1)) * height);
    EXPECT_LE(std::size_t{offset} + bytes, ico.Size());
  }
  const std::set<std::pair<std::uint32_t, std::uint32_t>> expected = {
      {48, 4}, {48, 8}, {48, 24}, {32, 4}, {32, 8}, {32, 24}, {16, 4}, {16, 8}, {16, 24},
  };
  EXPECT_EQ(images, expected);
  EXPECT_FALSE(ico.Short());
}

}  // namespace
