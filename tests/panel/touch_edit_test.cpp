#include "panel/qt/touch_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <string>

#include "panel/qt/keyboard_dlg.h"
#include "platform/dialog/qt_text.h"
#include "tests/support/modal_driver.h"

namespace {

constexpr int kTextDisplay = 1048;
constexpr int kKeyQ = 1002;
constexpr int kKey1 = 1032;
constexpr int kBack = 1049;
constexpr int kEsc = 1047;
constexpr int kEnter = 1046;

void Touch(QDialog& keyboard, std::initializer_list<int> ids) {
  for (const int id : ids) {
    auto* key = static_cast<CKeyboardDlg&>(keyboard).GetControl<QPushButton>(id);
    ASSERT_NE(key, nullptr) << id;
    QTest::mouseClick(key, Qt::LeftButton);
  }
}

std::string KeyboardText(QDialog& keyboard) {
  return platform::ToCp1252(
      static_cast<CKeyboardDlg&>(keyboard).GetControl<QLabel>(kTextDisplay)->text());
}

// A window set up as the panel sets up its code fields: a button, a text field for codes of up to
// 31 characters, another button.
class FieldWindow {
 public:
  FieldWindow() {
    auto* layout = new QVBoxLayout(&m_window);
    m_before = new QPushButton(QStringLiteral("before"), &m_window);
    m_field = new CTouchEdit(&m_window);
    m_after = new QPushButton(QStringLiteral("after"), &m_window);
    layout->addWidget(m_before);
    layout->addWidget(m_field);
    layout->addWidget(m_after);
    m_field->m_bKeyboard = true;
    m_field->m_format.m_nMaxLen = 31;
    m_field->m_format.m_cFill = '?';
    m_field->m_value = reinterpret_cast<TouchValue>(new char[kTouchTextBufferSize]());
    m_field->m_format.m_nKind = TE_TEXT;
    m_window.show();
    m_window.activateWindow();
    m_active = QTest::qWaitForWindowActive(&m_window);
    m_before->setFocus();
  }

  bool Active() const { return m_active; }
  CTouchEdit& Field() { return *m_field; }
  QPushButton& Before() { return *m_before; }
  QWidget& Window() { return m_window; }
  std::string FieldText() const { return platform::ToCp1252(m_field->text()); }

  // Touches the field, running `actions` in the keyboard it opens; returns how many opened.
  int TouchField(const std::function<void(QDialog&)>& actions) {
    test_support::ModalDriver driver(actions);
    QTest::mouseClick(m_field, Qt::LeftButton);
    EXPECT_FALSE(driver.TimedOut());
    return driver.Opened();
  }

 private:
  QWidget m_window;
  QPushButton* m_before;
  CTouchEdit* m_field;
  QPushButton* m_after;
  bool m_active = false;
};

TEST(TouchEdit, TouchOpensTheKeyboardOnTheTextAndEnterPutsItBack) {
  FieldWindow window;
  ASSERT_TRUE(window.Active());
  window.Field().setText(QStringLiteral("AB12"));

  std::string opened;
  EXPECT_EQ(window.TouchField([&](QDialog& keyboard) {
    opened = KeyboardText(keyboard);
    Touch(keyboard, {kKeyQ, kKey1, kEnter});
  }),
            1);
  EXPECT_EQ(opened, "AB12");
  EXPECT_EQ(window.FieldText(), "AB12q1");

  // Touch, edit, ESC: the window text stays.
  EXPECT_EQ(window.TouchField([&](QDialog& keyboard) {
    Touch(keyboard, {kBack, kKeyQ, kEsc});
  }),
            1);
  EXPECT_EQ(window.FieldText(), "AB12q1");

  // Whatever the window shows is what the keyboard starts from.
  window.Field().setText(QString::fromUtf8("\xC2\xA3 5"));
  window.TouchField([&](QDialog& keyboard) {
    opened = KeyboardText(keyboard);
    Touch(keyboard, {kEnter});
  });
  EXPECT_EQ(opened, "\xA3 5");
  EXPECT_EQ(window.FieldText(), "\xA3 5");
  EXPECT_NE(QApplication::focusWidget(), &window.Field()) << "no focus left in the field";
}

TEST(TouchEdit, WithoutKeyboardATouchOpensNothing) {
  FieldWindow window;
  window.Field().setText(QStringLiteral("AB"));
  window.Field().m_bKeyboard = false;
  EXPECT_EQ(window.TouchField([](QDialog& keyboard) { Touch(keyboard, {kEnter}); }), 0);
  EXPECT_EQ(window.FieldText(), "AB");
}

TEST(TouchEdit, LongWindowTextIsCutToTheBufferAndCanOnlyShrink) {
  FieldWindow window;
  const std::string longCode = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefgh";  // 44 characters
  window.Field().setText(QString::fromLatin1(longCode.c_str()));

  std::string opened;
  window.TouchField([&](QDialog& keyboard) {
    opened = KeyboardText(keyboard);
    Touch(keyboard, {kEsc});
  });
  EXPECT_EQ(opened, longCode.substr(0, 40));
  EXPECT_EQ(window.FieldText(), longCode) << "ESC leaves the window text as it was";

  window.TouchField([&](QDialog& keyboard) {
    Touch(keyboard, {kKeyQ, kBack, kKeyQ});
    opened = KeyboardText(keyboard);
    Touch(keyboard, {kEnter});
  });
  EXPECT_EQ(opened, longCode.substr(0, 39));
  EXPECT_EQ(window.FieldText(), longCode.substr(0, 39));
}

TEST(TouchEdit, DoubleClickOpensOneKeyboard) {
  FieldWindow window;
  ASSERT_TRUE(window.Active());
  window.Field().setText(QStringLiteral("AB"));
  // Keys pressed without mouse events, which would move the test clock past the double click.
  test_support::ModalDriver driver([](QDialog& keyboard) {
    for (const int id : {kKeyQ, kEnter})
      static_cast<CKeyboardDlg&>(keyboard).GetControl<QPushButton>(id)->click();
  });
  // Through the window system, which makes the second click a double click.
  const QPoint centre = window.Field().mapTo(&window.Window(), window.Field().rect().center());
  QTest::mouseDClick(window.Window().windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(driver.Opened(), 1);
  EXPECT_EQ(window.FieldText(), "ABq");
}

TEST(TouchEdit, FocusGoesBackToWhereItCameFrom) {
  FieldWindow window;
  ASSERT_TRUE(window.Active());
  ASSERT_EQ(QApplication::focusWidget(), &window.Before());

  QTest::keyClick(&window.Before(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &window.Before());
  EXPECT_FALSE(window.Field().hasFocus());

  window.Field().setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(QApplication::focusWidget(), &window.Before());

  // After a touch and ENTER the focus is where it was before the touch.
  // (The window becomes active again through the event loop.)
  window.TouchField([](QDialog& keyboard) { Touch(keyboard, {kKeyQ, kEnter}); });
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return QApplication::focusWidget() == &window.Before(); }, 2000));
  EXPECT_FALSE(window.Field().hasFocus());

  // Set while another window is active, the focus reaches the field only when its window is
  // activated again, and from no widget of that window: it still goes back to "before".
  QWidget other;
  auto* otherButton = new QPushButton(QStringLiteral("other"), &other);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  otherButton->setFocus();
  window.Field().setFocus(Qt::OtherFocusReason);
  window.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Window()));
  EXPECT_EQ(QApplication::focusWidget(), &window.Before());
  EXPECT_FALSE(window.Field().hasFocus());

  // With no other widget of its window to return to, the field gives the focus up.
  QWidget lone;
  auto* field = new CTouchEdit(&lone);
  lone.show();
  lone.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&lone));
  EXPECT_FALSE(field->hasFocus()) << "not even the focus that activation restores";
  field->setFocus();
  EXPECT_FALSE(field->hasFocus());
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

TEST(TouchEdit, TypedKeysInputMethodTextAndPasteNeverReachTheField) {
  FieldWindow window;
  ASSERT_TRUE(window.Active());
  window.Field().setText(QStringLiteral("AB"));

  QTest::keyClicks(&window.Field(), QStringLiteral("typed"));
  QTest::keyClick(&window.Field(), Qt::Key_Backspace);
  QTest::keyClick(&window.Field(), Qt::Key_V, Qt::ControlModifier);
  QInputMethodEvent composed;
  composed.setCommitString(QStringLiteral("ime"));
  QApplication::sendEvent(&window.Field(), &composed);
  EXPECT_EQ(window.FieldText(), "AB");

  // No menu to paste from.
  const QPoint centre = window.Field().rect().center();
  QContextMenuEvent menu(QContextMenuEvent::Mouse, centre, window.Field().mapToGlobal(centre));
  QApplication::sendEvent(&window.Field(), &menu);
  QWidget* popup = QApplication::activePopupWidget();
  EXPECT_EQ(popup, nullptr);
  if (popup != nullptr)
    popup->close();
}

TEST(TouchEdit, NumericValuesShowInTheirFormat) {
  QWidget host;
  CTouchEdit field(&host);
  field.m_format.m_nKind = TE_WORD;
  field.m_format.m_cFill = '?';
  field.m_format.m_nMaxLen = 6;
  field.m_value = 42;
  ASSERT_TRUE(field.ShowValue());
  EXPECT_EQ(field.text(), QStringLiteral("???42"));

  field.setText(QStringLiteral("??123"));
  ASSERT_TRUE(field.ReadValue());
  EXPECT_EQ(field.m_value, 123u);

  field.m_format.m_nKind = TE_SHORT;
  field.m_value = static_cast<std::uint16_t>(-42);
  field.ShowValue();
  EXPECT_EQ(field.text(), QStringLiteral("-??42"));
  field.setText(QStringLiteral("-7"));
  field.ReadValue();
  EXPECT_EQ(static_cast<std::int16_t>(field.m_value), -7);

  field.m_format.m_nMaxLen = 0;
  EXPECT_TRUE(field.ShowValue());
  EXPECT_EQ(field.text(), QString());

  // A touch goes through the text: the keyboard opens on one more character than the field shows.
  FieldWindow window;
  CTouchEdit& touch = window.Field();
  delete[] reinterpret_cast<char*>(touch.m_value);
  touch.m_format = TouchFormat{6, '?', 10, 0, TE_WORD};
  touch.m_value = 42;
  touch.ShowValue();
  std::string opened;
  window.TouchField([&](QDialog& keyboard) {
    opened = KeyboardText(keyboard);
    Touch(keyboard, {kKey1, kBack, kKey1, kEnter});
  });
  EXPECT_EQ(opened, "????42");
  EXPECT_EQ(window.FieldText(), "???41");
  EXPECT_EQ(touch.m_value, 41u);
}

}  // namespace
