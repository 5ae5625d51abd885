// The value of a touch field and the conversions between its text and its number, shared by the
// touch field and the on-screen keyboard. Plain C++: no toolkit.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds of value a touch field holds.
enum : int {
  TE_TEXT = 0,   // pointer to a NUL-terminated character buffer owned by the field
  TE_SHORT = 1,  // signed 16-bit
  TE_LONG = 2,   // signed 32-bit
  TE_BYTE = 3,   // unsigned 8-bit
  TE_WORD = 4,   // unsigned 16-bit
  TE_DWORD = 5,  // unsigned 32-bit
};

// The format block; the keyboard edits through a pointer to it, so the fields stay in this order.
struct TouchFormat {
  int m_nMaxLen = 10;  // longest text the keyboard lets grow; also the numeric display width
  char m_cFill = 0;    // pads numeric display, skipped at the start of numeric text; NUL: none
  int m_nRadix = 10;
  int m_nDecimals = 0;  // digits after the point; 0: no point
  int m_nKind = TE_WORD;
};

// The text buffer a text field is given: 40 characters and the NUL.
inline constexpr std::size_t kTouchTextBufferSize = 41;

// In TE_TEXT the address of the text buffer, otherwise the number in its low 8, 16 or 32 bits.
using TouchValue = std::uintptr_t;

// Parsing: an optional '-' (signed kinds), leading fill characters skipped, then digits of the
// radix (either case) with at most `decimals` digits after one point; wraps in the kind's width.
// The point is not stored: with decimals 2, "12.5" gives 125 and "12.50" gives 1250. A radix
// outside 2..36 reads as 10 here and when formatting, so a misconfigured field still round-trips.
void StrToShort(std::int16_t& value, const char* text, int radix, int decimals, char fill);
void StrToLong(std::int32_t& value, const char* text, int radix, int decimals, char fill);
void StrToByte(std::uint8_t& value, const char* text, int radix, int decimals, char fill);
void StrToWord(std::uint16_t& value, const char* text, int radix, int decimals, char fill);
void StrToDword(std::uint32_t& value, const char* text, int radix, int decimals, char fill);

// Formatting into `buffer` (at least `width` bytes): at most width - 1 characters, padded with the
// fill character, a point before the last `decimals` digits. Returns the buffer.
// Digits that do not fit are dropped from the high end. A NUL fill gives no padding at all. Width 0
// writes nothing; width 1 writes only the NUL.
char* ShortToStr(std::int16_t value, char* buffer, int width, int radix, int decimals, char fill);
char* LongToStr(std::int32_t value, char* buffer, int width, int radix, int decimals, char fill);
char* ByteToStr(std::uint8_t value, char* buffer, int width, int radix, int decimals, char fill);
char* WordToStr(std::uint16_t value, char* buffer, int width, int radix, int decimals, char fill);
char* DwordToStr(std::uint32_t value, char* buffer, int width, int radix, int decimals, char fill);

// The conversions by a format's kind, for the numeric kinds only (TE_SHORT .. TE_DWORD): false
// for TE_TEXT and unknown kinds, with the buffer or the value untouched. A number is kept in the
// low bits of the value, the bits above it clear.
//   FormatNumber   `value` into `buffer` (at least `width` bytes) by the formatting rule above
//   ParseNumber    `text` into `value` by the parsing rule above
bool FormatNumber(TouchValue value, const TouchFormat& format, char* buffer, int width);
bool ParseNumber(const char* text, const TouchFormat& format, TouchValue& value);

// Copies at most n - 1 characters and a terminating NUL (nothing when n is 0). Returns dest.
char* StrCopyN(char* dest, const char* src, std::size_t n);
