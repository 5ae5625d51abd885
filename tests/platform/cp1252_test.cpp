#include "platform/text/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct HighByte {
  unsigned char byte;
  char32_t unicode;
  const char* utf8;
};

// The 0x80-0x9F block as Windows converts it; the undefined bytes become C1 controls.
constexpr HighByte kHighBlock[] = {
    {0x80, 0x20AC, "\xE2\x82\xAC"}, {0x81, 0x0081, "\xC2\x81"},     {0x82, 0x201A, "\xE2\x80\x9A"},
    {0x83, 0x0192, "\xC6\x92"},     {0x84, 0x201E, "\xE2\x80\x9E"}, {0x85, 0x2026, "\xE2\x80\xA6"},
    {0x86, 0x2020, "\xE2\x80\xA0"}, {0x87, 0x2021, "\xE2\x80\xA1"}, {0x88, 0x02C6, "\xCB\x86"},
    {0x89, 0x2030, "\xE2\x80\xB0"}, {0x8A, 0x0160, "\xC5\xA0"},     {0x8B, 0x2039, "\xE2\x80\xB9"},
    {0x8C, 0x0152, "\xC5\x92"},     {0x8D, 0x008D, "\xC2\x8D"},     {0x8E, 0x017D, "\xC5\xBD"},
    {0x8F, 0x008F, "\xC2\x8F"},     {0x90, 0x0090, "\xC2\x90"},     {0x91, 0x2018, "\xE2\x80\x98"},
    {0x92, 0x2019, "\xE2\x80\x99"}, {0x93, 0x201C, "\xE2\x80\x9C"}, {0x94, 0x201D, "\xE2\x80\x9D"},
    {0x95, 0x2022, "\xE2\x80\xA2"}, {0x96, 0x2013, "\xE2\x80\x93"}, {0x97, 0x2014, "\xE2\x80\x94"},
    {0x98, 0x02DC, "\xCB\x9C"},     {0x99, 0x2122, "\xE2\x84\xA2"}, {0x9A, 0x0161, "\xC5\xA1"},
    {0x9B, 0x203A, "\xE2\x80\xBA"}, {0x9C, 0x0153, "\xC5\x93"},     {0x9D, 0x009D, "\xC2\x9D"},
    {0x9E, 0x017E, "\xC5\xBE"},     {0x9F, 0x0178, "\xC5\xB8"},
};

TEST(Cp1252, HighBlockFollowsTheWindowsTable) {
  ASSERT_EQ(std::size(kHighBlock), 32u);
  for (const HighByte& entry : kHighBlock) {
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int{entry.byte});
    const std::string byte(1, static_cast<char>(entry.byte));
    EXPECT_EQ(platform::Cp1252ToUnicode(entry.byte), entry.unicode);
    EXPECT_EQ(platform::UnicodeToCp1252(entry.unicode), entry.byte);
    EXPECT_EQ(platform::Cp1252ToUtf8(byte), entry.utf8);
    std::string back;
    EXPECT_TRUE(platform::Utf8ToCp1252(entry.utf8, back));
    EXPECT_EQ(back, byte);
  }
}

TEST(Cp1252, ConvertsAsciiAndLatin1BothWays) {
  struct Case {
    const char* cp1252;
    const char* utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"ABC 123-xyz\r\n\x1B~", "ABC 123-xyz\r\n\x1B~"},
      {"\xA3", "\xC2\xA3"},              // pound sign
      {"sar\xE0", "sar\xC3\xA0"},        // a-grave
      {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},  // first and last of Latin-1
      {"\x80 \xA3\x39\x39",
       "\xE2\x82\xAC \xC2\xA3"
       "99"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(platform::Cp1252ToUtf8(c.cp1252), c.utf8);
    std::string back;
    EXPECT_TRUE(platform::Utf8ToCp1252(c.utf8, back));
    EXPECT_EQ(back, c.cp1252);
  }
  EXPECT_EQ(platform::Cp1252ToUnicode(0xA3), U'\u00A3');
  EXPECT_EQ(platform::UnicodeToCp1252(U'\u00E0'), 0xE0);
  EXPECT_EQ(platform::UnicodeToCp1252(U'A'), 'A');
}

TEST(Cp1252, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  std::string back;
  ASSERT_TRUE(platform::Utf8ToCp1252(platform::Cp1252ToUtf8(all), back));
  EXPECT_EQ(back, all);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(platform::UnicodeToCp1252(platform::Cp1252ToUnicode(static_cast<std::uint8_t>(b))),
              b);
  }
}

TEST(Cp1252, RefusesWhatItCannotHold) {
  // Characters with no byte: the C1 controls that the euro sign and others displaced, and
  // anything beyond Latin-1 that the Windows table does not list.
  for (const char32_t ch : {U'\u0080', U'\u009F', U'\u0100', U'\u4E2D', U'\U0001F600'}) {
    EXPECT_EQ(platform::UnicodeToCp1252(ch), -1) << static_cast<unsigned>(ch);
  }
  const char* refused[] = {
      "\xE4\xB8\xAD",      // U+4E2D
      "AB\xE4\xB8\xAD",    // the same after good text
      "\xC2\x80",          // U+0080
      "\xF0\x9F\x98\x80",  // U+1F600
      "\x80",              // continuation byte alone
      "A\xC3",             // sequence cut short
      "\xE2\x82",          // sequence cut short
      "\xC3\x41",          // lead byte followed by ASCII
      "\xC0\xA3",          // overlong pound sign
      "\xE0\x80\xC1",      // overlong and malformed
      "\xED\xA0\x80",      // surrogate
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xF8\x88\x80\x80\x80",
      "\xFF",
  };
  for (const char* text : refused) {
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    std::string out;
    EXPECT_FALSE(platform::Utf8ToCp1252(text, out));
  }
}

}  // namespace
