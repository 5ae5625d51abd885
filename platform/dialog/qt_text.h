// The crossing between the program's Windows-1252 bytes and Qt's Unicode strings. Texts enter and
// leave the widgets only through here; codes stay bytes everywhere else.
//
//   ToQString(bytes)   every byte has a character, so nothing is lost
//   ToCp1252(text)     a character with no Windows-1252 byte becomes '?'
//   CharToCp1252(ch)   the byte of one typed character, -1 when there is none
//   LoadText(id)       a string-table text, ready for a widget
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

QString ToQString(std::string_view cp1252);
std::string ToCp1252(const QString& text);
int CharToCp1252(char32_t ch);
QString LoadText(unsigned id);

}  // namespace platform
