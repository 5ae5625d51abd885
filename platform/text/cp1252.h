// Windows-1252 text, the program's own encoding, and its conversion to and from UTF-8.
//
// Every byte has a character: 0x00-0x7F is ASCII, 0xA0-0xFF is Latin-1, and 0x80-0x9F follows
// the Windows table. The five bytes that table leaves undefined (81 8D 8F 90 9D) stand for the C1
// controls of the same value, as Windows' own conversion has them, so any byte string survives a
// trip to UTF-8 and back unchanged.
//
//   Cp1252ToUnicode  the character of one byte
//   UnicodeToCp1252  the byte of one character, -1 when Windows-1252 has none
//   Cp1252ToUtf8     bytes to UTF-8, for a terminal
//   Utf8ToCp1252     UTF-8 to bytes; false on a character without a byte or on malformed UTF-8
//   AppendUtf8 / DecodeUtf8   one character to and from UTF-8, also for the settings file's text
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

char32_t Cp1252ToUnicode(std::uint8_t byte);
int UnicodeToCp1252(char32_t ch);

std::string Cp1252ToUtf8(std::string_view text);
// On false, out holds the bytes converted before the offending character.
bool Utf8ToCp1252(std::string_view text, std::string& out);

// A surrogate value is encoded like any other character, as WTF-8 keeps a lone UTF-16 surrogate.
void AppendUtf8(char32_t ch, std::string& out);
// The character at text[pos], moving pos past it; false (pos unmoved) on malformed UTF-8: stray or
// missing continuation bytes, overlong forms, beyond U+10FFFF, and surrogates unless allowed.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& ch,
                bool allowSurrogates = false);

}  // namespace platform
