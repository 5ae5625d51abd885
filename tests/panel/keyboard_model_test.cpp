// The on-screen keyboard's rules without any toolkit: every key case, SHIFT and CAPS, the text
// limit, the state display, the opening and the two ways out, through a host that records what
// the rules ask of the dialog in order.
#include "panel/keyboard_model.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "res/dialog_template.h"

namespace {

class RecordingKeyboard : public KeyboardHost {
 public:
  bool IsChecked(int id) override { return checked[id]; }
  void SetCheck(int id, bool on) override {
    checked[id] = on;
    calls.push_back("check " + std::to_string(id) + (on ? " on" : " off"));
  }
  void SetFocus(int id) override { calls.push_back("focus " + std::to_string(id)); }
  void SetText(int id, const std::string& text) override {
    texts[id] = text;
    calls.push_back("text " + std::to_string(id) + " '" + text + "'");
  }
  void EndDialog(int code) override {
    result = code;
    calls.push_back("end " + std::to_string(code));
  }

  // A touch on a toggle: the button toggles itself, then tells the dialog.
  void Toggle(KeyboardModel& model, int id) {
    checked[id] = !checked[id];
    model.OnButton(id);
  }
  int TextShown() const {
    int count = 0;
    for (const std::string& call : calls)
      count += call.rfind("text 1048 ", 0) == 0 ? 1 : 0;
    return count;
  }

  std::map<int, bool> checked;
  std::map<int, std::string> texts;
  std::vector<std::string> calls;
  int result = 0;
};

// A keyboard on a text field holding `initial`, or on a number.
struct Keyboard {
  explicit Keyboard(TouchFormat f, TouchValue v = 0) : format(f), value(v) {}
  TouchFormat format;
  TouchValue value;
  char buffer[kTouchTextBufferSize] = {};
  RecordingKeyboard host;
  KeyboardModel model{host, &value, &format};
};

TouchFormat Text(int maxLen) {
  return TouchFormat{maxLen, '?', 10, 0, TE_TEXT};
}

TEST(KeyboardModel, EveryKeyCaseByKindRadixAndLimit) {
  struct Case {
    const char* name;
    TouchFormat format;
    const char* start;  // the text before the keys, typed in the text kind
    std::vector<int> keys;
    std::string text;  // afterwards
    int shown;         // text display refreshes by the keys
  };
  const std::vector<Case> cases = {
      {"text: letters, digits, point, space and the 20 symbols",
       Text(40),
       "",
       {'a', 'Z', '0', '9', '.', ' ', '!', '"', '$', '%', '&', '\'', '(', ')', '*'},
       "aZ09. !\"$%&'()*",
       15},
      {"text: the rest of the symbols and the pound sign",
       Text(40),
       "",
       {'+', ',', '-', '/', ':', ';', '=', '?', '_', 0xA3},
       "+,-/:;=?_\xA3",
       10},
      {"text: codes outside the keyboard are ignored, display left alone",
       Text(40),
       "AB",
       {'#', '<', '[', 0xE0, 1, 13, 27, 0x80, 256, -1},
       "AB",
       0},
      {"text: the 32nd character is refused but shown again",
       Text(31),
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234",
       {'5', '6'},
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234",
       2},
      {"text: never beyond 80 whatever m_nMaxLen",
       Text(200),
       "01234567890123456789012345678901234567890123456789012345678901234567890123456789",
       {'X'},
       "01234567890123456789012345678901234567890123456789012345678901234567890123456789",
       1},
      {"text: m_nMaxLen 0 takes nothing", Text(0), "", {'A', '1'}, "", 2},
      {"backspace removes one, on empty changes nothing",
       Text(40),
       "AB",
       {kKeyBackspace, kKeyBackspace, kKeyBackspace},
       "",
       3},
      {"DEL changes nothing but shows the text again", Text(40), "AB", {kKeyDelete}, "AB", 1},
      {"INV in the text kind does nothing to the text", Text(40), "12", {KEY_INV}, "12", 0},
      {"radix 10: letters and symbols ignored, point accepted, several points too",
       TouchFormat{10, 0, 10, 0, TE_WORD},
       "",
       {'1', 'a', 'A', '+', ' ', '.', '2', '.'},
       "1.2.",
       4},
      {"radix 16: f and F accepted, g not",
       TouchFormat{10, 0, 16, 0, TE_DWORD},
       "",
       {'f', 'F', 'g', 'G', '9'},
       "fF9",
       3},
      {"radix 2: digits up to 1",
       TouchFormat{10, 0, 2, 0, TE_BYTE},
       "",
       {'0', '1', '2', '9'},
       "01",
       2},
      {"signed: INV puts a minus in front and takes it away",
       TouchFormat{10, 0, 10, 0, TE_SHORT},
       "12",
       {KEY_INV},
       "-12",
       1},
      {"signed: INV on an empty text gives a lone minus",
       TouchFormat{10, 0, 10, 0, TE_LONG},
       "",
       {KEY_INV},
       "-",
       1},
      {"signed: INV at m_nMaxLen leaves the text, taking a minus away still works",
       TouchFormat{3, 0, 10, 0, TE_SHORT},
       "123",
       {KEY_INV, kKeyBackspace, KEY_INV, KEY_INV},
       "12",
       4},
      {"unsigned: INV ignored", TouchFormat{10, 0, 10, 0, TE_WORD}, "12", {KEY_INV}, "12", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The start text is typed as a text field would take it, then the kind is the case's.
    Keyboard keyboard(Text(200));
    for (const char* p = c.start; *p != '\0'; ++p)
      keyboard.model.OnKey(static_cast<unsigned char>(*p));
    ASSERT_STREQ(keyboard.model.Text(), c.start);
    keyboard.format = c.format;
    keyboard.host.calls.clear();
    for (const int key : c.keys)
      keyboard.model.OnKey(key);
    EXPECT_STREQ(keyboard.model.Text(), c.text.c_str());
    EXPECT_EQ(keyboard.host.TextShown(), c.shown);
    if (c.shown > 0) {
      EXPECT_EQ(keyboard.host.texts[kKeyboardTextDisplay], c.text);
    }
  }
  // The minus goes away again.
  Keyboard signedKeyboard(TouchFormat{10, 0, 10, 0, TE_SHORT}, 0);
  signedKeyboard.model.OnInitDialog();  // "0"
  signedKeyboard.model.OnKey(KEY_INV);
  EXPECT_STREQ(signedKeyboard.model.Text(), "-0");
  signedKeyboard.model.OnKey(KEY_INV);
  EXPECT_STREQ(signedKeyboard.model.Text(), "0");
}

// SHIFT off, the focus parked on the text display and the state shown: for every code, refused
// or ignored ones too, and before the text changes.
TEST(KeyboardModel, EveryKeyFirstTurnsShiftOffMovesTheFocusAndShowsTheState) {
  for (const int code : {int{'A'}, int{'#'}, kKeyBackspace}) {
    SCOPED_TRACE(code);
    Keyboard keyboard(TouchFormat{10, 0, 10, 0, TE_WORD});
    keyboard.host.checked[kCapsKey] = true;
    keyboard.host.checked[kShiftKey] = true;
    keyboard.model.OnKey(code);
    std::vector<std::string> expected = {"check 1043 off", "focus 1048", "text 1051 'CAPS'"};
    if (code == kKeyBackspace)
      expected.push_back("text 1048 ''");
    EXPECT_EQ(keyboard.host.calls, expected);
    EXPECT_FALSE(keyboard.host.checked[kShiftKey]);
    EXPECT_TRUE(keyboard.host.checked[kCapsKey]) << "CAPS stays as set";
  }
}

TEST(KeyboardModel, ShiftAndCapsOnTheKeysAndInTheStateDisplay) {
  EXPECT_EQ(KeyboardModel::StateText(false, false), "");
  EXPECT_EQ(KeyboardModel::StateText(true, false), "CAPS");
  EXPECT_EQ(KeyboardModel::StateText(false, true), "SHIFT");
  EXPECT_EQ(KeyboardModel::StateText(true, true), "CAPS SHIFT");

  // Upper case when exactly one of them is on.
  EXPECT_EQ(KeyboardModel::LetterFor('Q', false, false), 'q');
  EXPECT_EQ(KeyboardModel::LetterFor('Q', true, false), 'Q');
  EXPECT_EQ(KeyboardModel::LetterFor('Q', false, true), 'Q');
  EXPECT_EQ(KeyboardModel::LetterFor('Q', true, true), 'q');

  Keyboard keyboard(Text(40), 0);
  keyboard.value = reinterpret_cast<TouchValue>(keyboard.buffer);
  keyboard.model.OnInitDialog();
  RecordingKeyboard& host = keyboard.host;
  keyboard.model.OnButton(1012);  // A
  host.Toggle(keyboard.model, kShiftKey);
  EXPECT_EQ(host.texts[kKeyboardStateDisplay], "SHIFT");
  keyboard.model.OnButton(1012);  // A, SHIFT: upper case, SHIFT off
  EXPECT_FALSE(host.checked[kShiftKey]);
  EXPECT_EQ(host.texts[kKeyboardStateDisplay], "");
  keyboard.model.OnButton(1012);  // a
  host.Toggle(keyboard.model, kCapsKey);
  EXPECT_EQ(host.texts[kKeyboardStateDisplay], "CAPS");
  keyboard.model.OnButton(1012);  // A
  keyboard.model.OnButton(1012);  // A: CAPS holds
  host.Toggle(keyboard.model, kShiftKey);
  EXPECT_EQ(host.texts[kKeyboardStateDisplay], "CAPS SHIFT");
  keyboard.model.OnButton(1012);  // a: both on
  EXPECT_EQ(host.texts[kKeyboardStateDisplay], "CAPS");
  // The other keys: SHIFT picks the second code, CAPS does nothing to them.
  keyboard.model.OnButton(1034);  // 3
  host.Toggle(keyboard.model, kShiftKey);
  keyboard.model.OnButton(1034);  // the pound sign
  host.Toggle(keyboard.model, kShiftKey);
  keyboard.model.OnButton(1044);  // _
  keyboard.model.OnButton(1021);  // space
  host.Toggle(keyboard.model, kShiftKey);
  keyboard.model.OnButton(1049);  // BACK, SHIFT or not
  host.Toggle(keyboard.model, kCapsKey);
  keyboard.model.OnButton(1028);  // m
  EXPECT_STREQ(keyboard.model.Text(), "aAaAAa3\xA3_m");
  EXPECT_EQ(host.texts[kKeyboardTextDisplay], "aAaAAa3\xA3_m");
  // A toggle with no key after it is shown and kept.
  host.Toggle(keyboard.model, kShiftKey);
  host.Toggle(keyboard.model, kShiftKey);
  EXPECT_EQ(host.texts[kKeyboardStateDisplay], "");
}

// Every key of template 129 reaches a rule, and nothing else does.
TEST(KeyboardModel, EveryButtonOfTheTemplateIsAKeyAndNoOtherIdIs) {
  std::set<int> keys;
  for (const res::ControlTemplate& control : res::kKeyboardTemplate.controls) {
    if (control.kind != res::ControlKind::kPushButton &&
        control.kind != res::ControlKind::kPushLikeCheckBox)
      continue;
    SCOPED_TRACE(control.id);
    Keyboard keyboard(Text(40));
    EXPECT_TRUE(keyboard.model.OnButton(control.id));
    EXPECT_FALSE(keyboard.host.calls.empty());
    keys.insert(control.id);
  }
  EXPECT_EQ(keys.size(), std::size(kLetterKeys) + std::size(kCharKeys) + 4);
  // The letters' captions are their letters.
  for (const LetterKey& key : kLetterKeys) {
    const res::ControlTemplate* control = res::FindControl(res::kKeyboardTemplate, key.id);
    ASSERT_NE(control, nullptr) << key.id;
    EXPECT_EQ(std::string(control->caption), std::string(1, key.letter));
  }
  Keyboard keyboard(Text(40));
  for (const int id : {kKeyboardTextDisplay, kKeyboardStateDisplay, 1000, 0, -1})
    EXPECT_FALSE(keyboard.model.OnButton(id)) << id;
  EXPECT_TRUE(keyboard.host.calls.empty());
}

TEST(KeyboardModel, OpensOnTheValueByItsKind) {
  struct Case {
    const char* name;
    TouchFormat format;
    TouchValue value;
    std::string text;
  };
  const Case cases[] = {
      {"word, fill, width m_nMaxLen + 1", TouchFormat{6, '0', 10, 0, TE_WORD}, 42, "000042"},
      {"short, negative", TouchFormat{6, '?', 10, 0, TE_SHORT}, 0xFFD6, "-???42"},
      {"dword, radix 16, decimals", TouchFormat{8, 0, 16, 2, TE_DWORD}, 0x1F5, "1.F5"},
      {"width capped at 80", TouchFormat{500, '0', 10, 0, TE_LONG}, 7, std::string(78, '0') + "7"},
      {"byte as one character", TouchFormat{10, 0, 10, 0, TE_BYTE}, 0xA3, "\xA3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Keyboard keyboard(c.format, c.value);
    keyboard.model.OnInitDialog();
    EXPECT_EQ(keyboard.model.Text(), c.text);
    EXPECT_EQ(keyboard.host.calls, std::vector<std::string>{"text 1048 '" + c.text + "'"});
    EXPECT_EQ(keyboard.value, c.value) << "opening changes no value";
  }
  // A text field: its buffer, whole up to 79 characters; without a buffer, nothing.
  Keyboard text(Text(31));
  StrCopyN(text.buffer, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCD", sizeof text.buffer);
  text.value = reinterpret_cast<TouchValue>(text.buffer);
  text.model.OnInitDialog();
  EXPECT_STREQ(text.model.Text(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCD")
      << "a stored code longer than m_nMaxLen is shown whole";
  text.model.OnKey('E');
  EXPECT_EQ(std::string(text.model.Text()).size(), 40u) << "it can only shrink";
  Keyboard none(Text(31));
  none.model.OnInitDialog();
  EXPECT_STREQ(none.model.Text(), "");
}

TEST(KeyboardModel, EnterStoresTheTextByItsKindAndEscLeavesTheValue) {
  // Text: cut to the buffer's 40 characters.
  Keyboard text(Text(80));
  text.value = reinterpret_cast<TouchValue>(text.buffer);
  text.model.OnInitDialog();
  for (int i = 0; i < 45; ++i)
    text.model.OnKey('a' + i % 26);
  text.model.OnEnter();
  EXPECT_EQ(std::string(text.buffer), std::string("abcdefghijklmnopqrstuvwxyzabcdefghijklmn"));
  EXPECT_EQ(text.host.result, kDialogOk);

  // Unchanged text still written back.
  Keyboard word(TouchFormat{6, '0', 10, 2, TE_WORD}, 1250);
  word.model.OnInitDialog();  // "12.50"
  word.value = 0;
  word.model.OnEnter();
  EXPECT_EQ(word.value, 1250u);

  Keyboard shortValue(TouchFormat{6, 0, 10, 0, TE_SHORT}, 5);
  shortValue.model.OnInitDialog();
  shortValue.model.OnKey(kKeyBackspace);
  shortValue.model.OnKey('7');
  shortValue.model.OnKey(KEY_INV);
  shortValue.model.OnEnter();
  EXPECT_EQ(static_cast<std::int16_t>(shortValue.value), -7);
  EXPECT_EQ(shortValue.value, 0xFFF9u) << "the bits above the kind stay clear";

  Keyboard byte(TouchFormat{10, 0, 10, 0, TE_BYTE}, 'x');
  byte.model.OnInitDialog();
  byte.model.OnKey(kKeyBackspace);
  byte.model.OnEnter();
  EXPECT_EQ(byte.value, 0u) << "an empty text stores 0";

  Keyboard esc(TouchFormat{6, 0, 10, 0, TE_WORD}, 42);
  esc.model.OnInitDialog();
  esc.model.OnKey('9');
  esc.model.OnEsc();
  EXPECT_EQ(esc.value, 42u);
  EXPECT_EQ(esc.host.result, kDialogCancel);
  // ENTER and ESC through their buttons.
  Keyboard buttons(TouchFormat{6, 0, 10, 0, TE_WORD}, 3);
  buttons.model.OnInitDialog();
  buttons.model.OnButton(1032);  // 1
  buttons.model.OnButton(kEnterKey);
  EXPECT_EQ(buttons.value, 31u);
  EXPECT_EQ(buttons.host.result, kDialogOk);
  buttons.model.OnButton(kEscKey);
  EXPECT_EQ(buttons.host.result, kDialogCancel);
}

}  // namespace
