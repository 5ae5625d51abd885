#include "platform/settings/profile_encoding.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/settings/profile_file.h"
#include "tests/support/file_helpers.h"

namespace {

using namespace std::string_literals;  // "..."s keeps the NULs
using platform::GetProfileString;
using platform::WriteProfileString;
using test_support::ReadBytes;
using test_support::WriteBytes;

using MarkedProfileTest = test_support::ConfigFolderTest;

// The bytes Notepad's "Unicode" saves, one code unit after the other, lone surrogates included.
std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string Utf16LeFile(std::u16string_view text) {
  return "\xFF\xFE" + Utf16Le(text);
}

// Lines with characters Windows-1252 has (pound, a grave, euro) and lacks (arrow, a character
// beyond the BMP, lone surrogates), other sections, comments, blank lines and LF line ends.
constexpr std::u16string_view kUtf16Before =
    u"; stazione \u2192 linea 2\r\n"
    u"[SETTING]\r\n"
    u"LAST_CODE=\u00A312\r\n"
    u"LAST_AIC_CODE=caf\u00E0\r\n"
    u"PREZZO\u00A3=5\r\n"
    u"NOTE=\u20AC\u2192\xD83D\xDE00\xDC00\r\n"
    u"\r\n"
    u"[OTHER]\n"
    u"K=\xD800\n";

TEST_F(MarkedProfileTest, ReadsAndWritesAUtf16LeFileInItsOwnEncoding) {
  WriteBytes(m_path, Utf16LeFile(kUtf16Before));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"),
            "\xA3"
            "12");
  EXPECT_EQ(GetProfileString(m_path, "setting", "last_aic_code", "dflt"), "caf\xE0");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "PREZZO\xA3", "dflt"), "5");
  // One '?' for each character without a Windows-1252 byte.
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "NOTE", "dflt"), "\x80???");
  EXPECT_EQ(GetProfileString(m_path, "OTHER", "K", "dflt"), "?");

  struct Step {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    std::u16string after;
  };
  const Step steps[] = {
      {"key rewritten", "SETTING", "LAST_CODE", "\xE0\x80 1",
       u"; stazione \u2192 linea 2\r\n[SETTING]\r\nLAST_CODE=\u00E0\u20AC 1\r\n"
       u"LAST_AIC_CODE=caf\u00E0\r\nPREZZO\u00A3=5\r\nNOTE=\u20AC\u2192\xD83D\xDE00\xDC00\r\n"
       u"\r\n[OTHER]\nK=\xD800\n"},
      {"new key with a non-ASCII name", "SETTING", "CITT\xC0", "\xA3",
       u"; stazione \u2192 linea 2\r\n[SETTING]\r\nLAST_CODE=\u00E0\u20AC 1\r\n"
       u"LAST_AIC_CODE=caf\u00E0\r\nPREZZO\u00A3=5\r\nNOTE=\u20AC\u2192\xD83D\xDE00\xDC00\r\n"
       u"CITT\u00C0=\u00A3\r\n\r\n[OTHER]\nK=\xD800\n"},
      {"new section, value quoted", "NUOVA", "X", " \xE8 ",
       u"; stazione \u2192 linea 2\r\n[SETTING]\r\nLAST_CODE=\u00E0\u20AC 1\r\n"
       u"LAST_AIC_CODE=caf\u00E0\r\nPREZZO\u00A3=5\r\nNOTE=\u20AC\u2192\xD83D\xDE00\xDC00\r\n"
       u"CITT\u00C0=\u00A3\r\n\r\n[OTHER]\nK=\xD800\n[NUOVA]\r\nX=\" \u00E8 \"\r\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    ASSERT_TRUE(WriteProfileString(m_path, step.section, step.key, step.value));
    EXPECT_EQ(ReadBytes(m_path), Utf16LeFile(step.after));
    EXPECT_EQ(GetProfileString(m_path, step.section, step.key, "dflt"), step.value);
  }
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_AIC_CODE", "dflt"), "caf\xE0");
}

TEST_F(MarkedProfileTest, ReadsAndWritesAUtf8FileWithoutTheMarkInTheWay) {
  // The section right after the mark: read as bytes, the mark would hide it.
  const std::string before =
      "\xEF\xBB\xBF[SETTING]\r\n"
      "LAST_CODE=\xC2\xA3"
      "12\r\n"
      "LAST_AIC_CODE=caf\xC3\xA0\r\n"
      "NOTE=\xE2\x82\xAC\xE2\x86\x92\xFF\xC3\r\n"  // euro, arrow, two bytes that are no UTF-8
      "; \xE2\x86\x92\r\n"
      "\r\n"
      "[OTHER]\n"
      "K=v\n";
  WriteBytes(m_path, before);
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"),
            "\xA3"
            "12");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_AIC_CODE", "dflt"), "caf\xE0");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "NOTE", "dflt"), "\x80???");

  struct Step {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const Step steps[] = {
      {"key rewritten", "SETTING", "LAST_CODE", "\xE0\x80",
       "\xEF\xBB\xBF[SETTING]\r\nLAST_CODE=\xC3\xA0\xE2\x82\xAC\r\nLAST_AIC_CODE=caf\xC3\xA0\r\n"
       "NOTE=\xE2\x82\xAC\xE2\x86\x92\xFF\xC3\r\n; \xE2\x86\x92\r\n\r\n[OTHER]\nK=v\n"},
      {"new key", "SETTING", "CITT\xC0", "\xA3",
       "\xEF\xBB\xBF[SETTING]\r\nLAST_CODE=\xC3\xA0\xE2\x82\xAC\r\nLAST_AIC_CODE=caf\xC3\xA0\r\n"
       "NOTE=\xE2\x82\xAC\xE2\x86\x92\xFF\xC3\r\nCITT\xC3\x80=\xC2\xA3\r\n; \xE2\x86\x92\r\n\r\n"
       "[OTHER]\nK=v\n"},
      {"new section", "NUOVA", "X", "\xE8",
       "\xEF\xBB\xBF[SETTING]\r\nLAST_CODE=\xC3\xA0\xE2\x82\xAC\r\nLAST_AIC_CODE=caf\xC3\xA0\r\n"
       "NOTE=\xE2\x82\xAC\xE2\x86\x92\xFF\xC3\r\nCITT\xC3\x80=\xC2\xA3\r\n; \xE2\x86\x92\r\n\r\n"
       "[OTHER]\nK=v\n[NUOVA]\r\nX=\xC3\xA8\r\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    ASSERT_TRUE(WriteProfileString(m_path, step.section, step.key, step.value));
    EXPECT_EQ(ReadBytes(m_path), step.after);
    EXPECT_EQ(GetProfileString(m_path, step.section, step.key, "dflt"), step.value);
  }
}

TEST_F(MarkedProfileTest, EdgesOfMarkedFiles) {
  struct Case {
    const char* name;
    std::string before;
    std::string read;   // LAST_CODE of SETTING, "dflt" when missing
    std::string after;  // once LAST_CODE is "CD"
  };
  const Case cases[] = {
      // An odd last byte is half a character: not read, and gone once the file is written.
      {"odd byte after a line end", Utf16LeFile(u"[SETTING]\r\nLAST_CODE=AB\r\n") + "\x41", "AB",
       Utf16LeFile(u"[SETTING]\r\nLAST_CODE=CD\r\n")},
      {"odd byte ending a value", Utf16LeFile(u"[SETTING]\r\nLAST_CODE=AB") + "\x43", "AB",
       Utf16LeFile(u"[SETTING]\r\nLAST_CODE=CD\r\n")},
      {"UTF-16 mark and an odd byte", "\xFF\xFE\x5B", "dflt",
       Utf16LeFile(u"[SETTING]\r\nLAST_CODE=CD\r\n")},
      {"UTF-16 mark only", "\xFF\xFE", "dflt", Utf16LeFile(u"[SETTING]\r\nLAST_CODE=CD\r\n")},
      {"UTF-8 mark only", "\xEF\xBB\xBF", "dflt", "\xEF\xBB\xBF[SETTING]\r\nLAST_CODE=CD\r\n"},
      {"NUL in a UTF-16 value", Utf16LeFile(u"[SETTING]\r\nLAST_CODE=AB\0EF\r\nX=1\r\n"s), "AB",
       Utf16LeFile(u"[SETTING]\r\nLAST_CODE=CD\r\nX=1\r\n")},
      {"CR line ends kept", Utf16LeFile(u"[SETTING]\rLAST_CODE=AB\rX=1\r"), "AB",
       Utf16LeFile(u"[SETTING]\rLAST_CODE=CD\r\nX=1\r")},
      {"quotes and blanks", Utf16LeFile(u"[SETTING]\r\n LAST_CODE = \" \u00E0 \" \r\n"), " \xE0 ",
       Utf16LeFile(u"[SETTING]\r\nLAST_CODE=CD\r\n")},
      // Only the whole mark counts; anything else is Windows-1252 bytes as always.
      {"part of a UTF-8 mark", "\xEF\xBB\r\n[SETTING]\r\nLAST_CODE=\xC3\xA0\r\n", "\xC3\xA0",
       "\xEF\xBB\r\n[SETTING]\r\nLAST_CODE=CD\r\n"},
      {"one byte of a UTF-16 mark", "\xFF\r\n[SETTING]\r\nLAST_CODE=\xE0\r\n", "\xE0",
       "\xFF\r\n[SETTING]\r\nLAST_CODE=CD\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(m_path, c.before);
    EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), c.read);
    ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "CD"));
    EXPECT_EQ(ReadBytes(m_path), c.after);
  }

  // The buffer holds Windows-1252 bytes: 255 characters, not 255 bytes of the file's encoding.
  const std::u16string graves(300, u'\u00E0');
  for (const std::string& file : {Utf16LeFile(u"[SETTING]\r\nLAST_CODE=" + graves),
                                  "\xEF\xBB\xBF[SETTING]\r\nLAST_CODE=" + [] {
                                    std::string utf8;
                                    for (int i = 0; i < 300; ++i)
                                      utf8 += "\xC3\xA0";
                                    return utf8;
                                  }()}) {
    WriteBytes(m_path, file);
    EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", ""), std::string(255, '\xE0'));
  }
}

TEST_F(MarkedProfileTest, EveryWindows1252ByteReadsBackFromAMarkedFile) {
  std::string every;
  for (int byte = 1; byte < 256; ++byte) {
    if (byte != '\r' && byte != '\n')
      every.push_back(static_cast<char>(byte));
  }
  // Blanks and quotes at both ends would be quoted; this value has neither.
  const std::string value = "x" + every + "x";
  for (const std::string& mark : {"\xFF\xFE"s, "\xEF\xBB\xBF"s}) {
    SCOPED_TRACE(mark.size() == 2 ? "UTF-16LE" : "UTF-8");
    WriteBytes(m_path, mark);
    ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", value));
    EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "", 1024), value);
    EXPECT_EQ(ReadBytes(m_path).substr(0, mark.size()), mark);
  }
}

TEST(ProfileEncoding, EveryUtf16CodeUnitGoesBackAsItCame) {
  // All 65536 units in order: lone surrogates of both kinds, one pair (DBFF DC00), U+0000, U+FFFF.
  std::u16string units;
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit)
    units.push_back(static_cast<char16_t>(unit));
  units += u"\xDC00\xD800";  // low before high is no pair
  const std::string file = Utf16LeFile(units);
  const platform::ProfileText decoded = platform::DecodeProfile(file);
  EXPECT_EQ(decoded.encoding, platform::ProfileEncoding::kUtf16Le);
  EXPECT_EQ(platform::EncodeProfile(decoded.encoding, decoded.text), file);

  // A lone surrogate is kept as its three bytes and reads as one '?'.
  const platform::ProfileText lone =
      platform::DecodeProfile(Utf16LeFile(u"a\xD800"
                                          u"b"));
  EXPECT_EQ(lone.text,
            "a\xED\xA0\x80"
            "b");
  EXPECT_EQ(platform::FromProfileText(lone.encoding, lone.text), "a?b");
}

}  // namespace
