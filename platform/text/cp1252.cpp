#include "platform/text/cp1252.h"

#include <array>

namespace platform {

namespace {

// The characters of bytes 0x80-0x9F; the undefined ones keep their own value.
constexpr std::array<char32_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

void AppendUtf8(char32_t ch, std::string& out) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& ch, bool allowSurrogates) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  int extra = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    ch = lead;
    ++pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    min = 0x80;
    ch = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    min = 0x800;
    ch = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    min = 0x10000;
    ch = lead & 0x07;
  } else {
    return false;
  }
  if (text.size() - pos <= static_cast<std::size_t>(extra))
    return false;
  for (int i = 1; i <= extra; ++i) {
    const auto next = static_cast<std::uint8_t>(text[pos + i]);
    if ((next & 0xC0) != 0x80)
      return false;
    ch = (ch << 6) | (next & 0x3F);
  }
  const bool surrogate = ch >= 0xD800 && ch <= 0xDFFF;
  if (ch < min || ch > 0x10FFFF || (surrogate && !allowSurrogates))
    return false;
  pos += extra + 1;
  return true;
}

char32_t Cp1252ToUnicode(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F)
    return kHighBlock[byte - 0x80];
  return byte;
}

int UnicodeToCp1252(char32_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
    return static_cast<int>(ch);
  for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
    if (kHighBlock[i] == ch)
      return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    AppendUtf8(Cp1252ToUnicode(static_cast<std::uint8_t>(c)), out);
  return out;
}

bool Utf8ToCp1252(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t ch = 0;
    if (!DecodeUtf8(text, pos, ch))
      return false;
    const int byte = UnicodeToCp1252(ch);
    if (byte < 0)
      return false;
    out += static_cast<char>(byte);
  }
  return true;
}

}  // namespace platform
