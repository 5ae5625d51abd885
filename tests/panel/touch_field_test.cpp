// A touch field's value and its window text without any toolkit: the round trip by kind, the text
// buffer's limit, and the panel's set-up of its two code fields.
#include "panel/touch_field.h"

#include <gtest/gtest.h>

#include <string>

#include "panel/panel_setup.h"

namespace {

TEST(TouchField, TextRoundTripCutToTheBuffer) {
  TouchField field;
  field.m_format.m_nKind = TE_TEXT;
  std::string shown = "untouched";
  EXPECT_FALSE(field.ReadValue("ABC")) << "a text field without its buffer";
  EXPECT_FALSE(field.ShowValue(shown));
  EXPECT_EQ(shown, "untouched");

  field.m_value = reinterpret_cast<TouchValue>(new char[kTouchTextBufferSize]{});
  const std::string longCode(45, 'x');
  ASSERT_TRUE(field.ReadValue("CODE \xA3\x80"));
  ASSERT_TRUE(field.ShowValue(shown));
  EXPECT_EQ(shown, "CODE \xA3\x80") << "Windows-1252 bytes as they are";
  ASSERT_TRUE(field.ReadValue(longCode));
  ASSERT_TRUE(field.ShowValue(shown));
  EXPECT_EQ(shown, std::string(40, 'x'));
  // The field frees its buffer (a leak here fails the sanitizer build).
}

TEST(TouchField, NumbersByKindWithinMaxLen) {
  struct Case {
    const char* name;
    TouchFormat format;
    std::string text;
    TouchValue value;
    std::string shown;
  };
  const Case cases[] = {
      {"word with fill", TouchFormat{6, '?', 10, 0, TE_WORD}, "???42", 42, "???42"},
      {"short negative", TouchFormat{6, '?', 10, 0, TE_SHORT}, "-7", 0xFFF9, "-???7"},
      {"word refuses a sign", TouchFormat{6, 0, 10, 0, TE_WORD}, "-42", 0, "0"},
      {"radix 16", TouchFormat{6, 0, 16, 0, TE_BYTE}, "1F", 31, "1F"},
      {"radix 10 stops at F", TouchFormat{6, 0, 10, 0, TE_DWORD}, "1F", 1, "1"},
      {"decimals", TouchFormat{6, '0', 10, 2, TE_LONG}, "12.5", 125, "01.25"},
      {"m_nMaxLen 0 shows nothing", TouchFormat{0, '0', 10, 0, TE_WORD}, "9", 9, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TouchField field;
    field.m_format = c.format;
    ASSERT_TRUE(field.ReadValue(c.text));
    EXPECT_EQ(field.m_value, c.value);
    std::string shown = "before";
    ASSERT_TRUE(field.ShowValue(shown));
    EXPECT_EQ(shown, c.shown);
  }
  TouchField unknown;
  unknown.m_format.m_nKind = 6;
  std::string shown = "before";
  EXPECT_FALSE(unknown.ReadValue("1"));
  EXPECT_FALSE(unknown.ShowValue(shown));
  EXPECT_EQ(shown, "before");
}

TEST(TouchField, ThePanelSetsUpEachCodeFieldForTextOnce) {
  TouchField field;
  EXPECT_EQ(field.m_format.m_nKind, TE_WORD) << "the constructor's defaults";
  EXPECT_EQ(field.m_format.m_nMaxLen, 10);
  field.m_bKeyboard = false;
  SetUpCodeField(field);
  EXPECT_TRUE(field.m_bKeyboard);
  EXPECT_EQ(field.m_format.m_nKind, TE_TEXT);
  EXPECT_EQ(field.m_format.m_nMaxLen, 31);
  EXPECT_EQ(field.m_format.m_cFill, '?');
  EXPECT_EQ(field.m_format.m_nRadix, 10);
  EXPECT_EQ(field.m_format.m_nDecimals, 0);
  ASSERT_NE(field.m_value, 0u);
  const char* buffer = reinterpret_cast<const char*>(field.m_value);
  EXPECT_STREQ(buffer, "") << "a new buffer is empty";

  // A second set-up keeps the buffer it has; a field already holding a number keeps its kind.
  SetUpCodeField(field);
  EXPECT_EQ(reinterpret_cast<const char*>(field.m_value), buffer);
  TouchField number;
  number.m_value = 5;
  SetUpCodeField(number);
  EXPECT_EQ(number.m_format.m_nKind, TE_WORD);
  EXPECT_EQ(number.m_value, 5u);
}

}  // namespace
