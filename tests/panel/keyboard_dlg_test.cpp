#include "panel/qt/keyboard_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog/qt_text.h"
#include "tests/support/modal_driver.h"

namespace {

// Control ids of dialog 129.
constexpr int kTextDisplay = 1048;
constexpr int kStateDisplay = 1051;
constexpr int kShift = 1043;
constexpr int kCaps = 1041;
constexpr int kKeyQ = 1002;
constexpr int kKeyW = 1003;
constexpr int kKeyA = 1012;
constexpr int kKeyF = 1015;
constexpr int kKeyG = 1016;
constexpr int kKey1 = 1032;
constexpr int kKey3 = 1034;
constexpr int kKey6 = 1037;
constexpr int kKeyPlus = 1045;
constexpr int kKeyPoint = 1030;
constexpr int kKeyMinus = 1044;
constexpr int kInv = 1050;
constexpr int kBack = 1049;
constexpr int kSpace = 1021;
constexpr int kEsc = 1047;
constexpr int kEnter = 1046;

// What a test sees of an open keyboard, and the hands that press its keys.
class Keyboard {
 public:
  explicit Keyboard(CKeyboardDlg& dialog) : m_dialog(dialog) {}

  void Touch(int id) {
    auto* key = m_dialog.GetControl<QPushButton>(id);
    ASSERT_NE(key, nullptr) << id;
    QTest::mouseClick(key, Qt::LeftButton);
  }
  void Touch(std::initializer_list<int> ids) {
    for (const int id : ids)
      Touch(id);
  }

  // Typed on a physical keyboard: through the window system to whatever has the focus.
  void Type(const QString& characters) {
    for (const char32_t ch : characters.toUcs4()) {
      const QString text = QString::fromUcs4(&ch, 1);
      const Qt::Key key =
          ch < 0x80 ? static_cast<Qt::Key>(text.toUpper().at(0).unicode()) : Qt::Key_unknown;
      QTest::sendKeyEvent(QTest::Click, static_cast<QWidget*>(nullptr), key, text, Qt::NoModifier);
    }
  }
  void Press(Qt::Key key) {
    QTest::sendKeyEvent(QTest::Click, static_cast<QWidget*>(nullptr), key, QString(),
                        Qt::NoModifier);
  }

  std::string Text() const { return platform::ToCp1252(Label(kTextDisplay)->text()); }
  std::string State() const { return platform::ToCp1252(Label(kStateDisplay)->text()); }
  bool Shift() const { return m_dialog.GetControl<QPushButton>(kShift)->isChecked(); }
  bool Caps() const { return m_dialog.GetControl<QPushButton>(kCaps)->isChecked(); }

  // A mark no key can produce, to tell whether the next key refreshed the text display.
  void MarkDisplay() { Label(kTextDisplay)->setText(QStringLiteral("~mark~")); }
  bool DisplayMarked() const { return Label(kTextDisplay)->text() == QStringLiteral("~mark~"); }

  CKeyboardDlg& Dialog() { return m_dialog; }

 private:
  QLabel* Label(int id) const { return m_dialog.GetControl<QLabel>(id); }

  CKeyboardDlg& m_dialog;
};

// Opens the keyboard on the value and runs `actions` in its modal loop; `actions` must end it.
int RunKeyboard(TouchValue& value, TouchFormat& format,
                const std::function<void(Keyboard&)>& actions) {
  CKeyboardDlg dialog(&value, &format);
  test_support::ModalDriver driver([&](QDialog&) {
    Keyboard keyboard(dialog);
    actions(keyboard);
  });
  const int result = dialog.DoModal();
  EXPECT_FALSE(driver.TimedOut()) << "the keyboard was still open";
  return result;
}

// A text field's buffer with room behind it, so that a write past the field's 41 bytes shows.
struct TextBuffer {
  explicit TextBuffer(const std::string& text) : bytes(128, '#') {
    std::memcpy(bytes.data(), text.c_str(), text.size() + 1);
  }
  TouchValue Value() { return reinterpret_cast<TouchValue>(bytes.data()); }
  std::string Text() const { return bytes.data(); }
  std::vector<char> bytes;
};

TouchFormat TextFormat(int maxLen) {
  TouchFormat format;
  format.m_nKind = TE_TEXT;
  format.m_nMaxLen = maxLen;
  format.m_cFill = '?';
  return format;
}

TouchFormat NumberFormat(int kind, int radix, int maxLen = 10) {
  TouchFormat format;
  format.m_nKind = kind;
  format.m_nRadix = radix;
  format.m_nMaxLen = maxLen;
  return format;
}

TEST(KeyboardDlg, OnScreenKeysEditTheTextAndEnterStoresIt) {
  TextBuffer buffer("AB");
  TouchValue value = buffer.Value();
  TouchFormat format = TextFormat(31);
  std::vector<std::string> shown;
  const int result = RunKeyboard(value, format, [&](Keyboard& k) {
    shown.push_back(k.Text());
    k.Touch({kKeyQ, kKey1, kKeyPoint, kKeyPlus, kSpace, kKey6});
    shown.push_back(k.Text());
    k.Touch({kShift, kKey6, kShift, kKey3, kShift, kKeyMinus});
    shown.push_back(k.Text());
    k.Touch({kBack, kBack});
    shown.push_back(k.Text());
    k.Touch(kEnter);
  });
  EXPECT_EQ(result, platform::IDOK);
  const std::vector<std::string> expected = {"AB", "ABq1.+ 6", "ABq1.+ 6&\xA3_", "ABq1.+ 6&"};
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(buffer.Text(), "ABq1.+ 6&");
  EXPECT_EQ(value, reinterpret_cast<TouchValue>(buffer.bytes.data())) << "the buffer stays";
}

TEST(KeyboardDlg, ShiftHoldsForOneKeyAndCapsUntilTouchedAgain) {
  TextBuffer buffer("");
  TouchValue value = buffer.Value();
  TouchFormat format = TextFormat(31);
  RunKeyboard(value, format, [&](Keyboard& k) {
    EXPECT_EQ(k.State(), "");
    EXPECT_FALSE(k.Shift());
    EXPECT_FALSE(k.Caps());

    k.Touch(kShift);
    EXPECT_EQ(k.State(), "SHIFT");
    k.Touch({kKeyQ, kKeyW});
    EXPECT_EQ(k.Text(), "Qw");
    EXPECT_FALSE(k.Shift());
    EXPECT_EQ(k.State(), "");

    k.Touch({kShift, kShift});  // a second touch turns it off again
    EXPECT_EQ(k.State(), "");
    k.Touch(kKeyQ);
    EXPECT_EQ(k.Text(), "Qwq");

    k.Touch(kCaps);
    EXPECT_EQ(k.State(), "CAPS");
    k.Touch({kKeyA, kKeyA});
    EXPECT_EQ(k.Text(), "QwqAA");
    k.Touch(kShift);
    EXPECT_EQ(k.State(), "CAPS SHIFT");
    k.Touch(kKeyA);  // both on: lower case
    EXPECT_EQ(k.Text(), "QwqAAa");
    EXPECT_EQ(k.State(), "CAPS");
    EXPECT_TRUE(k.Caps());

    // SHIFT alone, then a physical letter: the character as typed, and SHIFT off.
    k.Touch({kCaps, kShift});
    k.Type("g");
    EXPECT_EQ(k.Text(), "QwqAAag");
    EXPECT_EQ(k.State(), "");

    // An ignored key still turns SHIFT off, and the text display is not refreshed.
    k.Touch(kShift);
    k.MarkDisplay();
    k.Type("#");
    EXPECT_FALSE(k.Shift());
    EXPECT_EQ(k.State(), "");
    EXPECT_TRUE(k.DisplayMarked());
    k.Touch(kEsc);
  });

  // BACK on an empty text: nothing to remove, SHIFT off all the same.
  RunKeyboard(value, format, [&](Keyboard& k) {
    k.Touch({kShift, kBack});
    EXPECT_EQ(k.Text(), "");
    EXPECT_FALSE(k.Shift());
    EXPECT_EQ(k.State(), "");
    k.Touch(kEsc);
  });
}

TEST(KeyboardDlg, TextGrowsOnlyWithinTheFieldLimitAndEighty) {
  TextBuffer buffer(std::string(30, 'x'));
  TouchValue value = buffer.Value();
  TouchFormat format = TextFormat(31);
  RunKeyboard(value, format, [&](Keyboard& k) {
    k.Touch(kKeyA);
    EXPECT_EQ(k.Text(), std::string(30, 'x') + "a");
    k.MarkDisplay();
    k.Touch({kShift, kKeyW});  // the 32nd character
    EXPECT_EQ(k.Text(), std::string(30, 'x') + "a") << "refused, and the display refreshed";
    EXPECT_FALSE(k.Shift());
    k.Touch(kEnter);
  });
  EXPECT_EQ(buffer.Text(), std::string(30, 'x') + "a");

  // A field allowing more than 80: the keyboard opens on at most 79 characters and stops at 80.
  std::vector<char> wide(128, '#');
  std::memset(wide.data(), 'y', 90);
  wide[90] = '\0';
  TouchValue wideValue = reinterpret_cast<TouchValue>(wide.data());
  TouchFormat wideFormat = TextFormat(200);
  RunKeyboard(wideValue, wideFormat, [&](Keyboard& k) {
    EXPECT_EQ(k.Text(), std::string(79, 'y'));
    k.Type("ab");
    EXPECT_EQ(k.Text(), std::string(79, 'y') + "a");
    k.Touch(kEnter);
  });
  // ENTER never writes more than a field's buffer holds: 40 characters and the NUL.
  EXPECT_EQ(std::string(wide.data()), std::string(40, 'y'));
  EXPECT_EQ(wide[41], 'y') << "nothing written past the 41 bytes";
}

TEST(KeyboardDlg, FortyCharacterTextShowsWholeAndCanOnlyShrink) {
  const std::string forty = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcd";
  TextBuffer buffer(forty);
  TouchValue value = buffer.Value();
  TouchFormat format = TextFormat(31);
  RunKeyboard(value, format, [&](Keyboard& k) {
    EXPECT_EQ(k.Text(), forty);
    k.Touch({kKeyQ, kSpace});
    k.Type("z");
    EXPECT_EQ(k.Text(), forty);
    k.Touch({kBack, kBack});
    EXPECT_EQ(k.Text(), forty.substr(0, 38));
    k.Touch(kKeyQ);
    EXPECT_EQ(k.Text(), forty.substr(0, 38)) << "still above the limit of 31";
    k.Touch(kEnter);
  });
  EXPECT_EQ(buffer.Text(), forty.substr(0, 38));
}

TEST(KeyboardDlg, NumericKindsTakeOnlyDigitsOfTheirRadixAndThePoint) {
  TouchValue value = 42;
  TouchFormat decimal = NumberFormat(TE_WORD, 10);
  int result = RunKeyboard(value, decimal, [&](Keyboard& k) {
    EXPECT_EQ(k.Text(), "42");
    k.MarkDisplay();
    k.Touch({kKeyA, kKeyF, kKeyPlus, kKeyMinus, kSpace});
    k.Type(QString::fromUtf8("f$%_\xC2\xA3"));
    EXPECT_TRUE(k.DisplayMarked()) << "refused codes are ignored codes";
    k.Touch({kKey1, kKeyPoint});
    k.Type("9.");
    EXPECT_EQ(k.Text(), "421.9.");
    k.Touch(kEnter);
  });
  EXPECT_EQ(result, platform::IDOK);
  EXPECT_EQ(value, 421u) << "no decimals: the point ends the number";

  TouchValue hex = 0;
  TouchFormat sixteen = NumberFormat(TE_DWORD, 16);
  RunKeyboard(hex, sixteen, [&](Keyboard& k) {
    EXPECT_EQ(k.Text(), "0");
    k.Touch(kBack);
    k.Touch({kKeyF, kKeyG, kKeyA});  // on screen: lower case, as without SHIFT or CAPS
    k.Type("FgG9");
    EXPECT_EQ(k.Text(), "faF9");
    k.Touch(kEnter);
  });
  EXPECT_EQ(hex, 0xFAF9u);
}

TEST(KeyboardDlg, InvTogglesTheSignOfSignedKindsOnly) {
  TouchValue value = 12;
  TouchFormat format = NumberFormat(TE_SHORT, 10);
  RunKeyboard(value, format, [&](Keyboard& k) {
    k.Touch(kInv);
    EXPECT_EQ(k.Text(), "-12");
    k.Touch(kInv);
    EXPECT_EQ(k.Text(), "12");
    k.Touch({kInv, kEnter});
  });
  EXPECT_EQ(static_cast<std::int16_t>(value), -12);

  TouchValue longValue = 7;
  TouchFormat longFormat = NumberFormat(TE_LONG, 10);
  RunKeyboard(longValue, longFormat, [&](Keyboard& k) {
    k.Touch({kBack, kInv});
    EXPECT_EQ(k.Text(), "-") << "an empty text gets a lone minus";
    k.Touch({kKey1, kEnter});
  });
  EXPECT_EQ(static_cast<std::int32_t>(longValue), -1);

  // At the length limit the sign cannot be added, yet the display is refreshed.
  TouchValue full = 12;
  TouchFormat two = NumberFormat(TE_SHORT, 10, 2);
  RunKeyboard(full, two, [&](Keyboard& k) {
    k.MarkDisplay();
    k.Touch(kInv);
    EXPECT_EQ(k.Text(), "12");
    k.Touch(kEsc);
  });

  // Ignored in the unsigned and text kinds.
  TouchValue word = 12;
  TouchFormat unsignedFormat = NumberFormat(TE_WORD, 10);
  RunKeyboard(word, unsignedFormat, [&](Keyboard& k) {
    k.MarkDisplay();
    k.Touch(kInv);
    EXPECT_TRUE(k.DisplayMarked());
    k.Touch(kEsc);
  });
  TextBuffer buffer("12");
  TouchValue text = buffer.Value();
  TouchFormat textFormat = TextFormat(31);
  RunKeyboard(text, textFormat, [&](Keyboard& k) {
    k.MarkDisplay();
    k.Touch(kInv);
    EXPECT_TRUE(k.DisplayMarked());
    k.Touch(kEnter);
  });
  EXPECT_EQ(buffer.Text(), "12");
}

TEST(KeyboardDlg, PhysicalKeysActWhateverHasTheFocus) {
  TextBuffer buffer("AB");
  TouchValue value = buffer.Value();
  TouchFormat format = TextFormat(31);
  int result = RunKeyboard(value, format, [&](Keyboard& k) {
    k.Type(QString::fromUtf8("x#\xC2\xA3"));  // x, '#' (ignored) and the pound sign
    EXPECT_EQ(k.Text(), "ABx\xA3");
    k.Press(Qt::Key_Backspace);
    EXPECT_EQ(k.Text(), "ABx");

    // Keys with the focus are never pressed by Space: the space goes into the text.
    k.Dialog().GetControl<QPushButton>(kKeyQ)->setFocus();
    k.Type(" ");
    EXPECT_EQ(k.Text(), "ABx ");

    // A character with no Windows-1252 code never reaches the key routine: SHIFT stays on.
    // The euro sign has one (0x80) but is no key: ignored, so SHIFT turns off.
    k.Touch(kShift);
    k.Type(QString::fromUtf8("\xE2\x98\xBA"));
    EXPECT_TRUE(k.Shift());
    k.Type(QString::fromUtf8("\xE2\x82\xAC"));
    EXPECT_FALSE(k.Shift());
    EXPECT_EQ(k.Text(), "ABx ");

    // Return with a key focused ends the keyboard as ENTER, not as a press of that key.
    k.Dialog().GetControl<QPushButton>(kKey1)->setFocus();
    k.Press(Qt::Key_Return);
  });
  EXPECT_EQ(result, platform::IDOK);
  EXPECT_EQ(buffer.Text(), "ABx ");

  result = RunKeyboard(value, format, [&](Keyboard& k) {
    k.Type("yz");
    k.Press(Qt::Key_Enter);  // the keypad's
  });
  EXPECT_EQ(result, platform::IDOK);
  EXPECT_EQ(buffer.Text(), "ABx yz");

  result = RunKeyboard(value, format, [&](Keyboard& k) {
    k.Press(Qt::Key_Backspace);
    k.Type("Q");
    k.Press(Qt::Key_Escape);
  });
  EXPECT_EQ(result, platform::IDCANCEL);
  EXPECT_EQ(buffer.Text(), "ABx yz");
}

TEST(KeyboardDlg, EnterAndEscResults) {
  // ENTER without a change returns IDOK and writes the value back through the text.
  TouchValue word = 0x10000 + 1234;  // the bits above a word are no part of its value
  TouchFormat format = NumberFormat(TE_WORD, 10);
  EXPECT_EQ(RunKeyboard(word, format, [](Keyboard& k) { k.Touch(kEnter); }), platform::IDOK);
  EXPECT_EQ(word, 1234u);

  // With decimals the value goes through the formatted text and back unchanged.
  TouchValue price = 1250;
  TouchFormat money = NumberFormat(TE_DWORD, 10, 6);
  money.m_nDecimals = 2;
  money.m_cFill = '0';
  RunKeyboard(price, money, [](Keyboard& k) {
    EXPECT_EQ(k.Text(), "012.50");
    k.Touch(kEnter);
  });
  EXPECT_EQ(price, 1250u);

  // The 8-bit kind is one character whose code is the value.
  TouchValue byte = 'Q';
  TouchFormat byteFormat = NumberFormat(TE_BYTE, 10);
  RunKeyboard(byte, byteFormat, [](Keyboard& k) {
    EXPECT_EQ(k.Text(), "Q");
    k.Touch({kBack, kKey3, kKey1, kEnter});
  });
  EXPECT_EQ(byte, static_cast<TouchValue>('3'));
  RunKeyboard(byte, byteFormat, [](Keyboard& k) { k.Touch({kBack, kEnter}); });
  EXPECT_EQ(byte, 0u) << "an empty text stores 0";

  // ESC after editing: IDCANCEL and the value untouched.
  TouchValue kept = 77;
  EXPECT_EQ(RunKeyboard(kept, format,
                        [](Keyboard& k) {
                          k.Touch({kBack, kBack, kKey1});
                          k.Touch(kEsc);
                        }),
            platform::IDCANCEL);
  EXPECT_EQ(kept, 77u);
}

TEST(KeyboardDlg, RendersToPng) {
  TextBuffer buffer("L0T 4711-B");
  TouchValue value = buffer.Value();
  TouchFormat format = TextFormat(31);
  QImage image;
  RunKeyboard(value, format, [&](Keyboard& k) {
    k.Touch(kCaps);
    image = k.Dialog().grab().toImage();
    k.Touch(kEsc);
  });
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), CKeyboardDlg(&value, &format).size());
  const QString path = QStringLiteral(CODEPANEL_BINARY_DIR "/keyboard.png");
  EXPECT_TRUE(image.save(path)) << path.toStdString();
}

}  // namespace
