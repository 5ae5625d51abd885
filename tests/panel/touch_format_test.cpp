#include "panel/touch_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* KindName(int kind) {
  switch (kind) {
    case TE_SHORT:
      return "Short";
    case TE_LONG:
      return "Long";
    case TE_BYTE:
      return "Byte";
    case TE_WORD:
      return "Word";
    default:
      return "Dword";
  }
}

// Each parse starts from a value that no case expects, so a function that leaves it alone fails.
std::int64_t Parse(int kind, const char* text, int radix, int decimals, char fill) {
  switch (kind) {
    case TE_SHORT: {
      std::int16_t v = 0x5A5A;
      StrToShort(v, text, radix, decimals, fill);
      return v;
    }
    case TE_LONG: {
      std::int32_t v = 0x5A5A5A5A;
      StrToLong(v, text, radix, decimals, fill);
      return v;
    }
    case TE_BYTE: {
      std::uint8_t v = 0x5A;
      StrToByte(v, text, radix, decimals, fill);
      return v;
    }
    case TE_WORD: {
      std::uint16_t v = 0x5A5A;
      StrToWord(v, text, radix, decimals, fill);
      return v;
    }
    default: {
      std::uint32_t v = 0x5A5A5A5A;
      StrToDword(v, text, radix, decimals, fill);
      return v;
    }
  }
}

// Formats into a heap block of exactly `width` bytes, so that the sanitizer build catches any write
// past it, and checks that the buffer itself comes back.
std::string Format(int kind, std::int64_t value, int width, int radix, int decimals, char fill) {
  auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(width));
  std::memset(buffer.get(), 'X', static_cast<std::size_t>(width));
  char* returned = nullptr;
  switch (kind) {
    case TE_SHORT:
      returned =
          ShortToStr(static_cast<std::int16_t>(value), buffer.get(), width, radix, decimals, fill);
      break;
    case TE_LONG:
      returned =
          LongToStr(static_cast<std::int32_t>(value), buffer.get(), width, radix, decimals, fill);
      break;
    case TE_BYTE:
      returned =
          ByteToStr(static_cast<std::uint8_t>(value), buffer.get(), width, radix, decimals, fill);
      break;
    case TE_WORD:
      returned =
          WordToStr(static_cast<std::uint16_t>(value), buffer.get(), width, radix, decimals, fill);
      break;
    default:
      returned =
          DwordToStr(static_cast<std::uint32_t>(value), buffer.get(), width, radix, decimals, fill);
      break;
  }
  EXPECT_EQ(returned, buffer.get());
  const void* nul = std::memchr(buffer.get(), '\0', static_cast<std::size_t>(width));
  if (nul == nullptr) {
    ADD_FAILURE() << "no NUL within the width";
    return std::string(buffer.get(), static_cast<std::size_t>(width));
  }
  return std::string(buffer.get());
}

struct ParseCase {
  int kind;
  const char* text;
  int radix;
  int decimals;
  char fill;
  std::int64_t expected;
};

void CheckParses(const std::vector<ParseCase>& cases) {
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << KindName(c.kind) << " \"" << (c.text ? c.text : "(null)") << "\" radix "
                 << c.radix << " decimals " << c.decimals << " fill " << int{c.fill});
    EXPECT_EQ(Parse(c.kind, c.text, c.radix, c.decimals, c.fill), c.expected);
  }
}

TEST(TouchFormatParse, PointKeepsAtMostDecimalsDigits) {
  CheckParses({
      {TE_WORD, "12.50", 10, 2, 0, 1250},
      {TE_WORD, "12.5", 10, 2, 0, 125},
      {TE_WORD, "1.234", 10, 2, 0, 123},  // third decimal ends it
      {TE_WORD, "12.5", 10, 0, 0, 12},    // no decimals: the point ends the number
      {TE_WORD, "123", 10, 2, 0, 123},    // no point: the budget is untouched
      {TE_WORD, "12.", 10, 2, 0, 12},
      {TE_WORD, ".5", 10, 1, 0, 5},
      {TE_WORD, "1.2x", 10, 2, 0, 12},
      // Every point spends the budget too.
      {TE_WORD, "1.2.3", 10, 2, 0, 12},   // second point drives it below 0
      {TE_WORD, "1.2.3", 10, 3, 0, 123},  // 3 -> 2 ('.') -> 1 ('2') -> 0 ('.') -> -1 ('3' kept)
      {TE_WORD, "1..23", 10, 2, 0, 12},   // 2 -> 1 -> 0, then '2' kept at -1
      {TE_WORD, "..5", 10, 2, 0, 5},
      {TE_WORD, "...5", 10, 2, 0, 0},
      {TE_SHORT, "-1.25", 10, 2, 0, -125},
      {TE_LONG, "-0.05", 10, 2, 0, -5},
      {TE_WORD, "12.5", 10, -1, 0, 12},  // a negative budget stops at the first point
  });
}

TEST(TouchFormatParse, SignAndFillOnlyAtTheStart) {
  CheckParses({
      {TE_WORD, "???42", 10, 0, '?', 42},
      {TE_WORD, "????", 10, 0, '?', 0},
      {TE_WORD, "4?2", 10, 0, '?', 4},  // fill inside the number ends it
      {TE_WORD, "?4?2", 10, 0, '?', 4},
      {TE_WORD, "   7", 10, 0, ' ', 7},
      {TE_WORD, "00042", 10, 0, '0', 42},
      {TE_WORD, "?42", 10, 0, 0, 0},  // a NUL fill skips nothing
      {TE_WORD, " 42", 10, 0, 0, 0},
      {TE_WORD, "??.05", 10, 2, '?', 5},
      {TE_WORD, "??.?5", 10, 2, '?', 0},  // fill after the point is not skipped
      {TE_SHORT, "-42", 10, 0, 0, -42},
      {TE_LONG, "-42", 10, 0, 0, -42},
      {TE_WORD, "-42", 10, 0, 0, 0},  // no sign in unsigned kinds
      {TE_BYTE, "-42", 10, 0, 0, 0},
      {TE_DWORD, "-42", 10, 0, 0, 0},
      {TE_SHORT, "-??42", 10, 0, '?', -42},  // sign first, then the fill
      {TE_SHORT, "?-42", 10, 0, '?', 0},
      {TE_SHORT, "--5", 10, 0, 0, 0},
      {TE_SHORT, "-", 10, 0, 0, 0},
      {TE_LONG, "-0", 10, 0, 0, 0},
      {TE_WORD, "", 10, 0, 0, 0},
      {TE_SHORT, "", 10, 0, '?', 0},
      {TE_WORD, nullptr, 10, 0, 0, 0},
      {TE_SHORT, nullptr, 10, 0, 0, 0},
      {TE_WORD, "42 ", 10, 0, 0, 42},
  });
}

TEST(TouchFormatParse, DigitsOfTheRadixInEitherCase) {
  CheckParses({
      {TE_WORD, "1F", 16, 0, 0, 31},
      {TE_WORD, "1F", 10, 0, 0, 1},
      {TE_BYTE, "ff", 16, 0, 0, 255},
      {TE_BYTE, "FF", 16, 0, 0, 255},
      {TE_WORD, "aBcD", 16, 0, 0, 0xABCD},
      {TE_WORD, "g", 16, 0, 0, 0},
      {TE_BYTE, "z", 36, 0, 0, 35},
      {TE_BYTE, "Z", 36, 0, 0, 35},
      {TE_WORD, "2", 2, 0, 0, 0},
      {TE_WORD, "101", 2, 0, 0, 5},
      {TE_WORD, "1012", 2, 0, 0, 5},
      {TE_WORD, "777", 8, 0, 0, 511},
      {TE_WORD, "78", 8, 0, 0, 7},
      {TE_WORD, "9", 9, 0, 0, 0},
      {TE_SHORT, "7fff", 16, 0, 0, 32767},
      {TE_SHORT, "8000", 16, 0, 0, -32768},
      {TE_SHORT, "-1a", 16, 0, 0, -26},
      // Bytes above 127 are letters of the code page, never digits.
      {TE_WORD, "\xE9", 36, 0, 0, 0},
      {TE_WORD, "1\xB2", 10, 0, 0, 1},
      {TE_WORD,
       "\xB9"
       "1",
       10, 0, 0, 0},
      {TE_WORD, "1:", 16, 0, 0, 1},  // the characters next to the digit ranges
      {TE_WORD, "1@", 16, 0, 0, 1},
      {TE_WORD, "1/", 16, 0, 0, 1},
      {TE_WORD, "1[", 36, 0, 0, 1},
      {TE_WORD, "1`", 36, 0, 0, 1},
      {TE_WORD, "1{", 36, 0, 0, 1},
      // A radix the field cannot show reads as decimal.
      {TE_WORD, "99", 0, 0, 0, 99},
      {TE_WORD, "99", 1, 0, 0, 99},
      {TE_WORD, "99", -16, 0, 0, 99},
      {TE_WORD, "1f", 37, 0, 0, 1},
  });
}

TEST(TouchFormatParse, WrapsInTheKindsWidth) {
  CheckParses({
      {TE_BYTE, "255", 10, 0, 0, 255},
      {TE_BYTE, "256", 10, 0, 0, 0},
      {TE_BYTE, "300", 10, 0, 0, 44},
      {TE_BYTE, "zz", 36, 0, 0, 15},  // 1295 mod 256
      {TE_WORD, "65535", 10, 0, 0, 65535},
      {TE_WORD, "65536", 10, 0, 0, 0},
      {TE_WORD, "70000", 10, 0, 0, 4464},
      {TE_WORD, "zzzz", 36, 0, 0, 41215},  // 36^4 - 1 = 1679615, mod 65536
      {TE_DWORD, "4294967295", 10, 0, 0, 4294967295},
      {TE_DWORD, "4294967296", 10, 0, 0, 0},
      {TE_DWORD, "4294967297", 10, 0, 0, 1},
      {TE_DWORD, "ffffffff", 16, 0, 0, 4294967295},
      {TE_DWORD, "100000000", 16, 0, 0, 0},
      {TE_DWORD, "zzzzzzz", 36, 0, 0, 1054752767},  // 36^7 - 1 = 78364164095, mod 2^32
      {TE_SHORT, "32767", 10, 0, 0, 32767},
      {TE_SHORT, "32768", 10, 0, 0, -32768},
      {TE_SHORT, "-32768", 10, 0, 0, -32768},
      {TE_SHORT, "-32769", 10, 0, 0, 32767},
      {TE_SHORT, "65535", 10, 0, 0, -1},
      {TE_SHORT, "65536", 10, 0, 0, 0},
      {TE_SHORT, "-65535", 10, 0, 0, 1},
      {TE_LONG, "2147483647", 10, 0, 0, 2147483647},
      {TE_LONG, "2147483648", 10, 0, 0, -2147483648LL},
      {TE_LONG, "-2147483648", 10, 0, 0, -2147483648LL},
      {TE_LONG, "-2147483649", 10, 0, 0, 2147483647},
      {TE_LONG, "4294967295", 10, 0, 0, -1},
      {TE_LONG, "4294967296", 10, 0, 0, 0},
      {TE_LONG, "99999999999999999999", 10, 0, 0, 1661992959},  // 10^20 - 1 mod 2^32, as signed
  });
}

struct FormatCase {
  int kind;
  std::int64_t value;
  int width;
  int radix;
  int decimals;
  char fill;
  const char* expected;
};

void CheckFormats(const std::vector<FormatCase>& cases) {
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << KindName(c.kind) << " " << c.value << " width " << c.width << " radix "
                 << c.radix << " decimals " << c.decimals << " fill " << int{c.fill});
    EXPECT_EQ(Format(c.kind, c.value, c.width, c.radix, c.decimals, c.fill), c.expected);
  }
}

TEST(TouchFormatFormat, PadsWithTheFillAndPlacesThePoint) {
  CheckFormats({
      {TE_WORD, 42, 6, 10, 0, '0', "00042"},
      {TE_WORD, 1250, 6, 10, 2, '0', "12.50"},
      {TE_WORD, 5, 6, 10, 2, '0', "00.05"},
      {TE_WORD, 42, 6, 10, 0, 0, "42"},
      {TE_WORD, 42, 6, 10, 0, '?', "???42"},
      {TE_WORD, 0, 6, 10, 0, 0, "0"},  // position 0 always holds a digit
      {TE_WORD, 0, 6, 10, 0, ' ', "    0"},
      {TE_WORD, 0, 4, 10, 1, '0', "0.0"},
      {TE_SHORT, -42, 6, 10, 0, 0, "-42"},
      {TE_SHORT, -42, 6, 10, 0, '?', "-??42"},
      {TE_SHORT, -42, 6, 10, 0, '0', "-0042"},
      // Negative values lose one position to the sign: positions 0..5 here.
      {TE_SHORT, -125, 8, 10, 2, '0', "-001.25"},
      {TE_SHORT, -125, 8, 10, 2, 0, "-1.25"},
      // Below the point only zeros that the value itself has are digits: 0.05 with fill '*'.
      {TE_LONG, -5, 8, 10, 2, '*', "-***.*5"},
      {TE_WORD, 5, 6, 10, 2, '?', "??.?5"},
      // A NUL fill ends the text where padding would start, even below the point.
      {TE_WORD, 5, 6, 10, 2, 0, "5"},
      {TE_WORD, 50, 6, 10, 2, 0, ".50"},
      {TE_WORD, 105, 6, 10, 2, 0, "1.05"},
      {TE_WORD, 42, 4, 10, 5, '0', "042"},       // the point's position is never reached
      {TE_WORD, 1234, 6, 10, -1, '0', "01234"},  // negative decimals: no point
  });
}

TEST(TouchFormatFormat, RadixDigitsInUpperCase) {
  CheckFormats({
      {TE_BYTE, 255, 3, 16, 0, 0, "FF"},
      {TE_BYTE, 255, 6, 16, 0, '0', "000FF"},
      {TE_BYTE, 0xAB, 6, 16, 0, 0, "AB"},
      {TE_WORD, 0xABCD, 5, 16, 0, '0', "ABCD"},
      {TE_DWORD, 0xDEADBEEF, 9, 16, 0, 0, "DEADBEEF"},
      {TE_WORD, 65535, 17, 2, 0, 0, "1111111111111111"},
      {TE_WORD, 5, 6, 2, 0, '0', "00101"},
      {TE_BYTE, 35, 2, 36, 0, 0, "Z"},
      {TE_DWORD, 4294967295, 8, 36, 0, 0, "1Z141Z3"},
      {TE_WORD, 511, 4, 8, 0, 0, "777"},
      {TE_SHORT, -26, 6, 16, 0, 0, "-1A"},
      {TE_LONG, -1, 10, 16, 0, '0', "-00000001"},
      // A radix the field cannot show is written in decimal.
      {TE_WORD, 255, 6, 0, 0, 0, "255"},
      {TE_WORD, 255, 6, 1, 0, 0, "255"},
      {TE_WORD, 255, 6, -16, 0, 0, "255"},
      {TE_WORD, 255, 6, 37, 0, 0, "255"},
  });
}

TEST(TouchFormatFormat, MostNegativeAndWidthLimits) {
  CheckFormats({
      {TE_SHORT, -32768, 7, 10, 0, 0, "-32768"},
      {TE_SHORT, -32768, 6, 10, 0, 0, "-2768"},  // high digit dropped
      {TE_SHORT, -32768, 8, 16, 0, '0', "-008000"},
      {TE_SHORT, 32767, 6, 10, 0, 0, "32767"},
      {TE_LONG, -2147483648LL, 12, 10, 0, 0, "-2147483648"},
      {TE_LONG, -2147483648LL, 10, 16, 0, 0, "-80000000"},
      {TE_LONG, -2147483648LL, 34, 2, 0, 0, "-10000000000000000000000000000000"},
      {TE_LONG, 2147483647, 11, 10, 0, 0, "2147483647"},
      {TE_DWORD, 4294967295, 11, 10, 0, 0, "4294967295"},
      {TE_DWORD, 4294967295, 4, 10, 0, 0, "295"},
      {TE_LONG, 123456, 4, 10, 0, '0', "456"},
      {TE_WORD, 1250, 5, 10, 2, '0', "2.50"},  // the point takes a position too
      {TE_WORD, 1250, 4, 10, 2, '0', ".50"},
      {TE_WORD, 42, 2, 10, 0, '0', "2"},
      {TE_WORD, 7, 2, 10, 0, 0, "7"},
      {TE_WORD, 42, 1, 10, 0, '0', ""},
      {TE_SHORT, -5, 1, 10, 0, '0', ""},
      {TE_SHORT, -5, 2, 10, 0, '0', "-"},  // no digit position left, only the sign
      {TE_SHORT, -5, 3, 10, 0, '0', "-5"},
  });
}

TEST(TouchFormatFormat, WidthZeroWritesNothing) {
  char buffer[4] = {'X', 'X', 'X', 'X'};
  EXPECT_EQ(WordToStr(42, buffer, 0, 10, 0, '0'), buffer);
  EXPECT_EQ(ShortToStr(-42, buffer, 0, 10, 0, '0'), buffer);
  EXPECT_EQ(LongToStr(-42, buffer, -3, 10, 0, '0'), buffer);
  EXPECT_EQ(std::string(buffer, 4), "XXXX");
}

// The values here are 32-bit at most, so the 64-bit negation is safe.
std::uint64_t Magnitude(std::int64_t value) {
  return static_cast<std::uint64_t>(value < 0 ? -value : value);
}

// Digits needed to show `magnitude` in `radix`; position 0 always holds one.
int DigitCount(std::uint64_t magnitude, int radix) {
  int digits = 1;
  while (magnitude >= static_cast<std::uint64_t>(radix)) {
    magnitude /= static_cast<std::uint64_t>(radix);
    ++digits;
  }
  return digits;
}

// The narrowest width that shows the value: its digits, the point when a digit lies above it, the
// sign, and the NUL.
int NarrowestWidth(std::int64_t value, int radix, int decimals) {
  const int digits = DigitCount(Magnitude(value), radix);
  const int positions = digits + (decimals != 0 && digits > decimals ? 1 : 0);
  return positions + (value < 0 ? 1 : 0) + 1;
}

TEST(TouchFormatRoundTrip, FormatThenParseGivesTheValueBack) {
  struct KindValues {
    int kind;
    std::vector<std::int64_t> values;
  };
  const KindValues table[] = {
      {TE_SHORT, {0, 1, -1, 9, -10, 42, -42, -125, 1250, 255, 256, 32767, -32767, -32768}},
      {TE_LONG, {0, 1, -1, 99999, -99999, 123456789, 2147483647, -2147483647, -2147483648LL}},
      {TE_BYTE, {0, 1, 9, 10, 35, 36, 127, 128, 255}},
      {TE_WORD, {0, 1, 5, 50, 105, 255, 256, 4464, 9999, 65535}},
      {TE_DWORD, {0, 1, 65536, 123456789, 2147483648LL, 4294967295LL}},
  };
  const int radixes[] = {2, 8, 10, 16, 36};
  const int decimalsList[] = {0, 1, 2, 3};
  const char fills[] = {'\0', '0', ' ', '?', '*'};
  for (const KindValues& row : table) {
    for (const std::int64_t value : row.values) {
      for (const int radix : radixes) {
        for (const int decimals : decimalsList) {
          for (const char fill : fills) {
            SCOPED_TRACE(testing::Message()
                         << KindName(row.kind) << " " << value << " radix " << radix << " decimals "
                         << decimals << " fill " << int{fill});
            const int narrowest = NarrowestWidth(value, radix, decimals);
            // A value with fewer digits than decimals is padded below the point with the fill
            // ("??.?5"), which does not read back unless the fill is '0' or none at all.
            const bool fillBelowPoint = fill != '\0' && fill != '0' && value != 0 &&
                                        DigitCount(Magnitude(value), radix) < decimals;
            const std::vector<int> widths = fillBelowPoint
                                                ? std::vector<int>{narrowest}
                                                : std::vector<int>{narrowest, narrowest + 3, 40};
            for (const int width : widths) {
              const std::string text = Format(row.kind, value, width, radix, decimals, fill);
              EXPECT_EQ(Parse(row.kind, text.c_str(), radix, decimals, fill), value)
                  << "width " << width << " text \"" << text << "\"";
            }
            // One narrower drops the top digit, so the value must not come back.
            if (value != 0) {
              const std::string text =
                  Format(row.kind, value, narrowest - 1, radix, decimals, fill);
              EXPECT_NE(Parse(row.kind, text.c_str(), radix, decimals, fill), value)
                  << "text \"" << text << "\"";
            }
          }
        }
      }
    }
  }
}

TEST(TouchFormatCopy, CopiesAtMostNMinusOneAndTheNul) {
  struct Case {
    const char* src;
    std::size_t n;
    const char* expected;
  };
  const Case cases[] = {
      {"abcdef", 4, "abc"},  {"abc", 4, "abc"},    {"abc", 10, "abc"},
      {"abc", 1, ""},        {"", 5, ""},          {"\x80\xE9\xFF", 3, "\x80\xE9"},
      {"12.50", 6, "12.50"}, {"12.50", 5, "12.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "\"" << c.src << "\" n " << c.n);
    char dest[12];
    std::memset(dest, 'X', sizeof dest);
    EXPECT_EQ(StrCopyN(dest, c.src, c.n), dest);
    EXPECT_STREQ(dest, c.expected);
    // Nothing beyond the n bytes it was given.
    for (std::size_t i = c.n; i < sizeof dest; ++i)
      EXPECT_EQ(dest[i], 'X') << "byte " << i;
  }
  char untouched[3] = {'X', 'X', 'X'};
  EXPECT_EQ(StrCopyN(untouched, "abc", 0), untouched);
  EXPECT_EQ(std::string(untouched, 3), "XXX");
}

}  // namespace
