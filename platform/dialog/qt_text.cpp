#include "platform/dialog/qt_text.h"

#include <QList>

#include "platform/text/cp1252.h"
#include "res/string_table.h"

namespace platform {

QString ToQString(std::string_view cp1252) {
  QString text;
  text.reserve(static_cast<qsizetype>(cp1252.size()));
  for (const char byte : cp1252)
    text += QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<std::uint8_t>(byte))));
  return text;
}

std::string ToCp1252(const QString& text) {
  std::string bytes;
  // By code point, so that a character outside the Basic Multilingual Plane becomes one '?'.
  for (const char32_t ch : text.toUcs4()) {
    const int byte = UnicodeToCp1252(ch);
    bytes += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return bytes;
}

int CharToCp1252(char32_t ch) {
  return UnicodeToCp1252(ch);
}

QString LoadText(unsigned id) {
  return ToQString(res::LoadString(id));
}

}  // namespace platform
