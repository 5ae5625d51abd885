#include "platform/dialog/qt_text.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

namespace {

TEST(QtText, EveryByteCrossesIntoQtAndBackUnchanged) {
  std::string all;
  for (int byte = 1; byte <= 0xFF; ++byte)
    all += static_cast<char>(byte);
  const QString text = platform::ToQString(all);
  ASSERT_EQ(text.size(), 255);
  EXPECT_EQ(text.at(0x80 - 1), QChar(0x20AC));  // euro sign
  EXPECT_EQ(text.at(0x9F - 1), QChar(0x0178));  // Y with diaeresis
  EXPECT_EQ(text.at(0xA3 - 1), QChar(0x00A3));  // pound sign
  EXPECT_EQ(platform::ToCp1252(text), all);
}

TEST(QtText, CharactersWithoutAByte) {
  EXPECT_EQ(platform::CharToCp1252(U'\u00A3'), 0xA3);
  EXPECT_EQ(platform::CharToCp1252(U'\u2122'), 0x99);
  EXPECT_EQ(platform::CharToCp1252(U'\u263A'), -1);
  // One '?' per character, also for one outside the Basic Multilingual Plane.
  EXPECT_EQ(platform::ToCp1252(QString::fromUtf8("a\xE2\x98\xBA"
                                                 "b\xF0\x9F\x98\x80"
                                                 "c")),
            "a?b?c");
}

TEST(QtText, StringTableTexts) {
  EXPECT_EQ(platform::LoadText(150), QStringLiteral("Invio codice controllo letteratura..."));
  EXPECT_TRUE(platform::LoadText(131).contains(QString::fromUtf8("sar\xC3\xA0 annullata")));
  EXPECT_TRUE(platform::LoadText(129).isEmpty());
}

}  // namespace
