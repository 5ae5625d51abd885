#include "panel/touch_format.h"

#include <algorithm>
#include <type_traits>

namespace {

constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kMinRadix = 2;
constexpr int kMaxRadix = 36;
constexpr int kFallbackRadix = 10;

// A field configured with a radix we cannot show falls back to decimal, in both directions, so
// that what the operator types reads back as the number that was shown.
int UsableRadix(int radix) {
  return radix >= kMinRadix && radix <= kMaxRadix ? radix : kFallbackRadix;
}

// The count of a digit character, or kMaxRadix when it is none (so it never fits a radix).
int DigitCount(unsigned char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'Z')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 10;
  return kMaxRadix;
}

// Reads the digits (and at most `decimals` of them after the point) as one integer. The sum is
// taken wide and cut to the kind's width, which gives the field's wrap-around without signed
// overflow or int promotion of the narrow kinds.
template <typename Unsigned>
Unsigned ParseDigits(const char* text, int radix, int decimals, char fill) {
  Unsigned value = 0;
  if (text == nullptr)
    return value;
  if (fill != '\0') {
    while (*text == fill)
      ++text;
  }
  int budget = decimals;
  bool pointSeen = false;
  for (; *text != '\0'; ++text) {
    if (*text == '.') {
      pointSeen = true;
      if (--budget < 0)
        break;
      continue;
    }
    const int digit = DigitCount(static_cast<unsigned char>(*text));
    if (digit >= radix)
      break;
    value = static_cast<Unsigned>(static_cast<unsigned long long>(value) *
                                      static_cast<unsigned long long>(radix) +
                                  static_cast<unsigned long long>(digit));
    if (pointSeen && --budget < 0)
      break;  // the digit just taken stays
  }
  return value;
}

template <typename Signed>
void ParseSigned(Signed& value, const char* text, int radix, int decimals, char fill) {
  using Unsigned = std::make_unsigned_t<Signed>;
  const bool negative = text != nullptr && *text == '-';
  if (negative)
    ++text;
  Unsigned magnitude = ParseDigits<Unsigned>(text, UsableRadix(radix), decimals, fill);
  // Negated in the unsigned type: "-32768" and "32768" both land on the most negative value.
  if (negative)
    magnitude = static_cast<Unsigned>(Unsigned{0} - magnitude);
  value = static_cast<Signed>(magnitude);
}

template <typename Unsigned>
void ParseUnsigned(Unsigned& value, const char* text, int radix, int decimals, char fill) {
  value = ParseDigits<Unsigned>(text, UsableRadix(radix), decimals, fill);
}

// Builds the text from the least significant end into the buffer, behind the sign if there is one,
// then turns it round. Only width - 1 positions exist (one fewer with a sign), so high digits that
// do not fit are dropped, as the field always did. A NUL fill ends the text where padding would
// start.
char* FormatMagnitude(std::uint32_t magnitude, bool negative, char* buffer, int width, int radix,
                      int decimals, char fill) {
  if (buffer == nullptr || width <= 0)
    return buffer;
  const std::uint32_t base = static_cast<std::uint32_t>(UsableRadix(radix));
  const bool sign = negative && width >= 2;  // width 1 holds only the NUL
  const int lastPosition = width - (negative ? 3 : 2);
  char* const start = buffer + (sign ? 1 : 0);
  char* end = start;
  for (int p = 0; p <= lastPosition; ++p) {
    char c;
    if (p == decimals && decimals != 0) {
      c = '.';
    } else if (magnitude != 0 || p == 0) {
      c = kDigits[magnitude % base];
      magnitude /= base;
    } else {
      c = fill;
    }
    if (c == '\0')
      break;
    *end++ = c;
  }
  std::reverse(start, end);
  *end = '\0';
  if (sign)
    buffer[0] = '-';
  return buffer;
}

// The magnitude is taken in the unsigned type so that -32768 and -2147483648 have one.
template <typename Signed>
char* FormatSigned(Signed value, char* buffer, int width, int radix, int decimals, char fill) {
  using Unsigned = std::make_unsigned_t<Signed>;
  Unsigned magnitude = static_cast<Unsigned>(value);
  if (value < 0)
    magnitude = static_cast<Unsigned>(Unsigned{0} - magnitude);
  return FormatMagnitude(magnitude, value < 0, buffer, width, radix, decimals, fill);
}

}  // namespace

void StrToShort(std::int16_t& value, const char* text, int radix, int decimals, char fill) {
  ParseSigned(value, text, radix, decimals, fill);
}

void StrToLong(std::int32_t& value, const char* text, int radix, int decimals, char fill) {
  ParseSigned(value, text, radix, decimals, fill);
}

void StrToByte(std::uint8_t& value, const char* text, int radix, int decimals, char fill) {
  ParseUnsigned(value, text, radix, decimals, fill);
}

void StrToWord(std::uint16_t& value, const char* text, int radix, int decimals, char fill) {
  ParseUnsigned(value, text, radix, decimals, fill);
}

void StrToDword(std::uint32_t& value, const char* text, int radix, int decimals, char fill) {
  ParseUnsigned(value, text, radix, decimals, fill);
}

char* ShortToStr(std::int16_t value, char* buffer, int width, int radix, int decimals, char fill) {
  return FormatSigned(value, buffer, width, radix, decimals, fill);
}

char* LongToStr(std::int32_t value, char* buffer, int width, int radix, int decimals, char fill) {
  return FormatSigned(value, buffer, width, radix, decimals, fill);
}

char* ByteToStr(std::uint8_t value, char* buffer, int width, int radix, int decimals, char fill) {
  return FormatMagnitude(value, false, buffer, width, radix, decimals, fill);
}

char* WordToStr(std::uint16_t value, char* buffer, int width, int radix, int decimals, char fill) {
  return FormatMagnitude(value, false, buffer, width, radix, decimals, fill);
}

char* DwordToStr(std::uint32_t value, char* buffer, int width, int radix, int decimals, char fill) {
  return FormatMagnitude(value, false, buffer, width, radix, decimals, fill);
}

char* StrCopyN(char* dest, const char* src, std::size_t n) {
  if (dest == nullptr || n == 0)
    return dest;
  std::size_t i = 0;
  if (src != nullptr) {
    for (; i + 1 < n && src[i] != '\0'; ++i)
      dest[i] = src[i];
  }
  dest[i] = '\0';
  return dest;
}

bool FormatNumber(TouchValue value, const TouchFormat& format, char* buffer, int width) {
  const int radix = format.m_nRadix;
  const int decimals = format.m_nDecimals;
  const char fill = format.m_cFill;
  switch (format.m_nKind) {
    case TE_SHORT:
      ShortToStr(static_cast<std::int16_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_LONG:
      LongToStr(static_cast<std::int32_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_BYTE:
      ByteToStr(static_cast<std::uint8_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_WORD:
      WordToStr(static_cast<std::uint16_t>(value), buffer, width, radix, decimals, fill);
      return true;
    case TE_DWORD:
      DwordToStr(static_cast<std::uint32_t>(value), buffer, width, radix, decimals, fill);
      return true;
    default:
      return false;
  }
}

bool ParseNumber(const char* text, const TouchFormat& format, TouchValue& value) {
  const int radix = format.m_nRadix;
  const int decimals = format.m_nDecimals;
  const char fill = format.m_cFill;
  switch (format.m_nKind) {
    case TE_SHORT: {
      std::int16_t number = 0;
      StrToShort(number, text, radix, decimals, fill);
      value = static_cast<std::uint16_t>(number);
      return true;
    }
    case TE_LONG: {
      std::int32_t number = 0;
      StrToLong(number, text, radix, decimals, fill);
      value = static_cast<std::uint32_t>(number);
      return true;
    }
    case TE_BYTE: {
      std::uint8_t number = 0;
      StrToByte(number, text, radix, decimals, fill);
      value = number;
      return true;
    }
    case TE_WORD: {
      std::uint16_t number = 0;
      StrToWord(number, text, radix, decimals, fill);
      value = number;
      return true;
    }
    case TE_DWORD: {
      std::uint32_t number = 0;
      StrToDword(number, text, radix, decimals, fill);
      value = number;
      return true;
    }
    default:
      return false;
  }
}
