// A code refused before anything is asked or sent: its box, the log left alone, and the field
// never left holding the focus afterwards, however the panel becomes active again.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QWindow>

#include "panel_fixture.h"
#include "platform/dialog/qt_text.h"

namespace {

const std::string kCancelled = "La procedura di invio codice sar\xE0 annullata!";
const std::string kLengthRefusal =
    "Numero caratteri codice errato (richiesti [1..31]) !\n" + kCancelled;
const std::string kControlByteRefusal = "Il codice contiene caratteri non ammessi !\n" + kCancelled;

class PanelRefusalTest : public PanelTest {
 protected:
  QLineEdit& CartonField() const { return *static_cast<QLineEdit*>(Control(1003)); }

  // Keys typed every way they can reach the panel: at the focused widget, at the panel widget, at
  // the field itself, and through the window system as a physical keyboard or a barcode wedge
  // delivers them to the active window.
  void TypeEverywhere() {
    if (QWidget* focused = QApplication::focusWidget())
      QTest::keyClicks(focused, QStringLiteral("kb"));
    QTest::keyClicks(&panel, QStringLiteral("kb"));
    QTest::keyClicks(&CartonField(), QStringLiteral("kb"));
    for (const char key : {'w', 'e', 'd', 'g', 'e'})
      QTest::keyClick(panel.windowHandle(), key);
    QCoreApplication::processEvents();
  }

  // The panel active, the field without the focus, the focus where the click left it, and typing
  // changes nothing.
  void ExpectFieldOutOfReach(const std::string& text) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QCoreApplication::processEvents();
    EXPECT_NE(QApplication::focusWidget(), &CartonField());
    EXPECT_FALSE(CartonField().hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), Control(1000)) << "the focus stays on the button";
    TypeEverywhere();
    EXPECT_EQ(platform::ToCp1252(CartonField().text()), text);
    EXPECT_FALSE(CartonField().hasFocus());
  }
};

// The box closes and the procedure sets the focus on the field while the panel is still inactive;
// the window system then makes the panel active, which hands the focus to the field.
TEST_F(PanelRefusalTest, LengthRefusalLeavesNoFocusInTheFieldWhenThePanelIsActivatedAfter) {
  carton.clear();
  Open();
  AnswerBoxes({});
  Click(1000);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kLengthRefusal);
  EXPECT_FALSE(panel.isActiveWindow()) << "the focus was set while the panel was inactive";
  panel.activateWindow();
  ExpectFieldOutOfReach("");
}

// The panel is active again before the procedure sets the focus on the field.
TEST_F(PanelRefusalTest, LengthRefusalLeavesNoFocusInTheFieldWhenThePanelIsActivatedFirst) {
  carton.clear();
  Open();
  bool activeBeforeFocus = false;
  test_support::ModalDriver answer(
      [&](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box == nullptr)
          return;
        boxes.push_back({platform::ToCp1252(box->text()), box->icon(), {}, {}, {}});
        box->done(QMessageBox::Ok);
        panel.activateWindow();
        activeBeforeFocus = QTest::qWaitForWindowActive(&panel);
      },
      std::chrono::seconds(20));
  Click(1000);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kLengthRefusal);
  ASSERT_TRUE(activeBeforeFocus);
  ExpectFieldOutOfReach("");
}

// A control byte can only come from a hand-edited settings file: it is refused before anything
// is asked, logged or opened.
TEST_F(PanelRefusalTest, ControlByteRefusalAsksNothingLogsNothingAndLeavesNoFocusInTheField) {
  carton =
      "AB\x1B"
      "CD";
  Open();
  AnswerBoxes({});
  Click(1000);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kControlByteRefusal);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[0].buttons, std::vector<QString>{QStringLiteral("OK")});
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(com1.OpenCount(), 0);
  EXPECT_TRUE(com1.Writes().empty());
  EXPECT_EQ(devices.OpenHandles(), 0);
  EXPECT_EQ(ControlsEnabled(), std::vector<bool>(6, true));
  panel.activateWindow();
  ExpectFieldOutOfReach(carton);
}

}  // namespace
