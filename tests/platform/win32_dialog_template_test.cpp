// The in-memory dialog templates, read back with a reader of their own and compared with the
// layout the Windows dialog manager expects: the header and font, then each item's style,
// extended style, rectangle, id, class and title, in template order. The expected styles are
// written out as numbers, as a resource compiler would emit them.
#include "platform/dialog/win32_dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using platform::win32::BuildWin32DialogTemplate;

class Reader {
 public:
  explicit Reader(const std::vector<std::uint32_t>& words) {
    for (const std::uint32_t word : words) {
      for (int shift = 0; shift < 32; shift += 8)
        m_bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    }
  }
  std::uint16_t Word() {
    const std::uint16_t value =
        static_cast<std::uint16_t>(m_bytes.at(m_pos) | m_bytes.at(m_pos + 1) << 8);
    m_pos += 2;
    return value;
  }
  int Short() { return static_cast<std::int16_t>(Word()); }
  std::uint32_t Dword() {
    const std::uint32_t low = Word();
    return low | static_cast<std::uint32_t>(Word()) << 16;
  }
  std::uint8_t Byte() { return m_bytes.at(m_pos++); }
  std::u16string Text() {
    std::u16string text;
    for (std::uint16_t ch = Word(); ch != 0; ch = Word())
      text += static_cast<char16_t>(ch);
    return text;
  }
  void Align() {
    while (m_pos % 4 != 0)
      EXPECT_EQ(Byte(), 0) << "padding at " << m_pos - 1;
  }
  std::size_t Position() const { return m_pos; }
  std::size_t Size() const { return m_bytes.size(); }

 private:
  std::vector<std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

struct Item {
  std::uint32_t exStyle;
  std::uint32_t style;
  int x, y, cx, cy;
  std::uint32_t id;
  std::uint16_t atom;
  std::u16string title;  // a picture: u"\xFFFF" followed by its resource number
};

std::vector<Item> ReadItems(Reader& in, int count) {
  std::vector<Item> items;
  for (int i = 0; i < count; ++i) {
    in.Align();
    Item item{};
    EXPECT_EQ(in.Dword(), 0u) << "helpID of item " << i;
    item.exStyle = in.Dword();
    item.style = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = in.Dword();
    EXPECT_EQ(in.Word(), 0xFFFF) << "class of item " << i << " as an atom";
    item.atom = in.Word();
    const std::uint16_t first = in.Word();
    if (first == 0xFFFF) {
      item.title = std::u16string{char16_t{0xFFFF}, static_cast<char16_t>(in.Word())};
    } else if (first != 0) {
      item.title = static_cast<char16_t>(first) + in.Text();
    }
    EXPECT_EQ(in.Word(), 0) << "extra count of item " << i;
    items.push_back(item);
  }
  return items;
}

struct Header {
  std::uint32_t exStyle;
  std::uint32_t style;
  int count;
  int x, y, cx, cy;
  std::u16string title;
  int pointSize, weight, italic, charset;
  std::u16string face;
};

Header ReadHeader(Reader& in) {
  Header header{};
  EXPECT_EQ(in.Word(), 1) << "dlgVer";
  EXPECT_EQ(in.Word(), 0xFFFF) << "signature";
  EXPECT_EQ(in.Dword(), 0u) << "helpID";
  header.exStyle = in.Dword();
  header.style = in.Dword();
  header.count = in.Word();
  header.x = in.Short();
  header.y = in.Short();
  header.cx = in.Short();
  header.cy = in.Short();
  EXPECT_EQ(in.Word(), 0) << "menu";
  EXPECT_EQ(in.Word(), 0) << "class";
  header.title = in.Text();
  header.pointSize = in.Word();
  header.weight = in.Word();
  header.italic = in.Byte();
  header.charset = in.Byte();
  header.face = in.Text();
  return header;
}

TEST(Win32DialogTemplate, PanelHeaderFontAndEveryItemInOrder) {
  Reader in(BuildWin32DialogTemplate(res::kPanelTemplate));
  const Header header = ReadHeader(in);
  // WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_3DLOOK | DS_CENTER | DS_SHELLFONT, no caption.
  EXPECT_EQ(header.style, 0x900008CCu);
  EXPECT_EQ(header.exStyle, 0x00040000u);  // WS_EX_APPWINDOW
  EXPECT_EQ(header.count, 12);
  EXPECT_EQ(header.x, 0);
  EXPECT_EQ(header.y, 0);
  EXPECT_EQ(header.cx, 423);
  EXPECT_EQ(header.cy, 294);
  EXPECT_EQ(header.title, u"");
  EXPECT_EQ(header.pointSize, 8);
  EXPECT_EQ(header.weight, 400);
  EXPECT_EQ(header.italic, 0);
  EXPECT_EQ(header.charset, 1);  // DEFAULT_CHARSET
  EXPECT_EQ(header.face, u"MS Shell Dlg");

  const Item expected[] = {
      {0, 0x50010000, 309, 91, 105, 22, 1000, 0x80, u"Invia a scanner"},
      {0x1000, 0x50810082, 7, 93, 294, 18, 1003, 0x81, u""},
      {0, 0x50010000, 309, 145, 105, 22, 1001, 0x80, u"Invia a scanner"},
      {0x1000, 0x50810082, 7, 147, 294, 18, 1004, 0x81, u""},
      {0, 0x50020002, 7, 79, 294, 11, 1005, 0x82, u"Codice di controllo astuccio :"},
      {0, 0x50020002, 7, 133, 294, 11, 1006, 0x82, u"Codice di controllo letteratura :"},
      {0, 0x5000120E, 7, 7, 409, 58, 0xFFFFFFFF, 0x82, u"\xFFFF\x0087"},
      {0, 0x50A14103, 7, 189, 409, 82, 1007, 0x83, u""},
      {0, 0x50020002, 315, 69, 100, 8, 1008, 0x82, u"Static"},
      {0, 0x50020000, 7, 68, 157, 8, 1009, 0x82, u"www.codepanel.example"},
      {0, 0x50010000, 308, 274, 50, 13, 1010, 0x80, u"Esci"},
      {0, 0x50010000, 366, 274, 50, 13, 1011, 0x80, u"Spegni"},
  };
  const std::vector<Item> items = ReadItems(in, header.count);
  ASSERT_EQ(items.size(), std::size(expected));
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i) + ", id " + std::to_string(expected[i].id));
    EXPECT_EQ(items[i].style, expected[i].style);
    EXPECT_EQ(items[i].exStyle, expected[i].exStyle);
    EXPECT_EQ(items[i].x, expected[i].x);
    EXPECT_EQ(items[i].y, expected[i].y);
    EXPECT_EQ(items[i].cx, expected[i].cx);
    EXPECT_EQ(items[i].cy, expected[i].cy);
    EXPECT_EQ(items[i].id, expected[i].id);
    EXPECT_EQ(items[i].atom, expected[i].atom);
    EXPECT_TRUE(items[i].title == expected[i].title);
  }
  in.Align();
  EXPECT_EQ(in.Position(), in.Size()) << "bytes after the last item";
}

TEST(Win32DialogTemplate, KeyboardKeysTogglesAndWindows1252Captions) {
  Reader in(BuildWin32DialogTemplate(res::kKeyboardTemplate));
  const Header header = ReadHeader(in);
  // WS_POPUP | DS_MODALFRAME | DS_CENTER | DS_SETFONT: hidden until shown, no task bar button.
  EXPECT_EQ(header.style, 0x800008C0u);
  EXPECT_EQ(header.exStyle, 0u);
  EXPECT_EQ(header.cx, 371);
  EXPECT_EQ(header.cy, 134);
  EXPECT_EQ(header.pointSize, 9);
  EXPECT_EQ(header.face, u"MS Shell Dlg");
  const std::vector<Item> items = ReadItems(in, header.count);
  ASSERT_EQ(items.size(), res::kKeyboardTemplate.controls.size());

  int keys = 0;
  for (const Item& item : items) {
    SCOPED_TRACE("id " + std::to_string(item.id));
    switch (item.id) {
      case 1048:  // the text strip: right-aligned static, no frame
        EXPECT_EQ(item.style, 0x50000002u);
        EXPECT_EQ(item.atom, 0x82);
        break;
      case 1051:  // the state display: centred and framed
        EXPECT_EQ(item.style, 0x50800001u);
        EXPECT_EQ(item.atom, 0x82);
        EXPECT_EQ(item.x, 10);
        EXPECT_EQ(item.y, 114);
        break;
      case 1043:  // SHIFT and CAPS: BS_AUTOCHECKBOX | BS_PUSHLIKE
      case 1041:
        EXPECT_EQ(item.style, 0x50011003u);
        EXPECT_EQ(item.atom, 0x80);
        break;
      default:
        EXPECT_EQ(item.style, 0x50010000u);
        EXPECT_EQ(item.atom, 0x80);
        ++keys;
    }
    EXPECT_EQ(item.exStyle, 0u);
  }
  EXPECT_EQ(keys, 46);
  // Order is the tab order: SHIFT comes third, CAPS fourth, ENTER last.
  EXPECT_EQ(items[2].title, u"SHIFT");
  EXPECT_EQ(items[3].title, u"CAPS");
  EXPECT_EQ(items.back().title, u"ENTER");
  EXPECT_EQ(items.back().cx, 40);
  // "3 (\xA3)" is the pound sign; "&&" stays for the dialog manager to show as one '&'.
  const auto titleOf = [&](std::uint32_t id) {
    for (const Item& item : items) {
      if (item.id == id)
        return item.title;
    }
    return std::u16string(u"(absent)");
  };
  EXPECT_EQ(titleOf(1034), u"3 (\u00A3)");
  EXPECT_EQ(titleOf(1037), u"6 (&&)");
  EXPECT_EQ(titleOf(1033), u"2 (\")");
  EXPECT_EQ(titleOf(1021), u"");
}

// Windows-1252's own table, not Latin-1 and not the system's code page: 0x80 is the euro sign,
// 0x9D (undefined in the table) its C1 control; each item still starts on a DWORD boundary
// whatever its title's length.
TEST(Win32DialogTemplate, CaptionsThroughTheWindows1252TableAndItemsAligned) {
  const res::ControlTemplate controls[] = {
      {7, res::ControlKind::kStaticText, "\x80 \x9D \xE0", res::kStyleNone, 1, 2, 3, 4},
      {8, res::ControlKind::kPushButton, "ab", res::kStyleAlignCenter, -5, 6, 7, 8},
      {9, res::ControlKind::kEdit, "x", res::kStyleSunken, 0, 0, 1, 1},
  };
  const res::DialogTemplate dialog = {1,          10,      20, "Tahoma", 10, 700, res::kDialogNone,
                                      "Caff\xE8", controls};
  const std::vector<std::uint32_t> words = BuildWin32DialogTemplate(dialog);
  Reader in(words);
  const Header header = ReadHeader(in);
  EXPECT_EQ(header.style, 0x00C80040u);  // a caption and a system menu, DS_SETFONT
  EXPECT_EQ(header.title, u"Caff\u00E8");
  EXPECT_EQ(header.weight, 700);
  EXPECT_EQ(header.face, u"Tahoma");
  const std::vector<Item> items = ReadItems(in, 3);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].title, u"\u20AC \u009D \u00E0");
  EXPECT_EQ(items[1].style, 0x50000300u);  // BS_CENTER
  EXPECT_EQ(items[1].x, -5);
  EXPECT_EQ(items[2].exStyle, 0x00000200u);  // WS_EX_CLIENTEDGE
  EXPECT_EQ(items[2].title, u"x");
}

}  // namespace
