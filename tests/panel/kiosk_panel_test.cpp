// The panel as a kiosk shows it (--fit-screen) and as the desktop does: where the keyboard opens
// and where the boxes stand, measured on the offscreen platform's screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <cmath>
#include <cstdlib>

#include "panel/qt/keyboard_dlg.h"
#include "panel/qt/touch_edit.h"
#include "platform/dialog/screen_fit.h"
#include "tests/panel/panel_fixture.h"

namespace {

QRect ScreenRect() {
  return QGuiApplication::primaryScreen()->geometry();
}

QRect GlobalRect(const QWidget& widget) {
  return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

// Constructed before the panel, so that the panel is built at the kiosk's scale.
struct KioskFit {
  KioskFit() { platform::SetScreenFit(platform::FitToScreen(res::kPanelTemplate, ScreenRect())); }
  ~KioskFit() { platform::SetScreenFit(platform::ScreenFit{}); }
};

class KioskPanelTest : private KioskFit, public PanelTest {};

// Touches a field and reports where its keyboard's face stood, in screen coordinates.
QRect KeyboardFaceFor(QWidget& field) {
  QRect face;
  test_support::ModalDriver modal([&face](QDialog& dialog) {
    if (auto* keyboard = qobject_cast<CKeyboardDlg*>(&dialog))
      face = keyboard->FaceGeometry();
    dialog.done(platform::IDCANCEL);
  });
  QTest::mouseClick(&field, Qt::LeftButton);
  EXPECT_EQ(modal.Opened(), 1);
  EXPECT_FALSE(modal.TimedOut());
  return face;
}

void ExpectKeyboardBesideItsField(const QRect& keyboard, const QRect& field, const QRect& panel) {
  ASSERT_FALSE(keyboard.isEmpty());
  EXPECT_FALSE(keyboard.intersects(field)) << "the keyboard hides the field it edits";
  EXPECT_LE(std::abs(keyboard.center().x() - panel.center().x()), 1);
  EXPECT_TRUE(ScreenRect().contains(keyboard));
  // On the panel: across its lower edge, or its upper edge when the field is too low for that.
  EXPECT_TRUE(keyboard.bottom() == panel.bottom() || keyboard.top() == panel.top());
}

TEST_F(KioskPanelTest, PanelCoversTheScreenWithItsFaceCentredAndEnlarged) {
  Open();
  const double scale = platform::CurrentScreenFit().scale;
  EXPECT_GT(scale, 1.0);
  EXPECT_EQ(panel.Scale(), scale);
  EXPECT_EQ(GlobalRect(panel), ScreenRect());
  const QRect face = panel.FaceGeometry();
  EXPECT_LE(std::abs(face.center().x() - ScreenRect().center().x()), 1);
  EXPECT_LE(std::abs(face.center().y() - ScreenRect().center().y()), 1);
  EXPECT_LE(std::abs(face.width() - 635 * scale), 2.0);
  EXPECT_LE(std::abs(face.height() - 478 * scale), 2.0);
  // The panel's own fonts in proportion: a 20-pixel cell on the code fields, 18 on the labels.
  const QFont desktopCode = platform::CellHeightFont("Tahoma", 20, 700, 1.0);
  EXPECT_LE(std::abs(Control(1003)->font().pixelSize() - desktopCode.pixelSize() * scale),
            0.5 * scale + 0.5);
  EXPECT_EQ(Control(1003)->font().weight(), QFont::Bold);
}

TEST_F(KioskPanelTest, KeyboardOpensOverThePanelWithTheFieldInSight) {
  Open();
  const QRect panelFace = panel.FaceGeometry();
  for (const int id : {1003, 1004}) {
    SCOPED_TRACE(id);
    const QRect keyboard = KeyboardFaceFor(*Control(id));
    ExpectKeyboardBesideItsField(keyboard, GlobalRect(*Control(id)), panelFace);
    EXPECT_LE(keyboard.width(), ScreenRect().width());
  }
  // The lower field leaves no room below it: the keyboard goes to the top, the upper one's down.
  EXPECT_EQ(KeyboardFaceFor(*Control(1003)).bottom(), panelFace.bottom());
  EXPECT_EQ(KeyboardFaceFor(*Control(1004)).top(), panelFace.top());
}

TEST_F(KioskPanelTest, BoxStandsOnThePanelEnlargedWithoutWindowButtons) {
  Open();
  const QRect panelFace = panel.FaceGeometry();
  QRect boxRect;
  Qt::WindowFlags flags;
  int iconWidth = 0;
  test_support::ModalDriver modal([&](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    ASSERT_NE(box, nullptr);
    boxRect = box->frameGeometry();
    flags = box->windowFlags();
    iconWidth = box->iconPixmap().width();
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("panel_tests"));
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Annulla"));
    box->done(QMessageBox::Cancel);
  });
  Click(1010);  // "Esci"
  ASSERT_EQ(modal.Opened(), 1);
  EXPECT_TRUE(panel.isVisible());  // Cancel: the panel stays
  EXPECT_LE(std::abs(boxRect.center().x() - panelFace.center().x()), 2);
  EXPECT_LE(std::abs(boxRect.center().y() - panelFace.center().y()), 2);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                        Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));
  const int desktopIcon = QApplication::style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
  EXPECT_LE(std::abs(iconWidth - desktopIcon * platform::CurrentScreenFit().scale), 1.0);
}

// The desktop: the panel keeps its template size; the keyboard still leaves the field in sight
// and the box still stands on the panel, with no window buttons.
TEST_F(PanelTest, DesktopKeyboardAndBoxesStandOnThePanel) {
  Open();
  EXPECT_EQ(panel.size(), QSize(635, 478));
  panel.move(ScreenRect().center() - QPoint(317, 239));
  QTest::qWait(0);
  const QRect panelRect = GlobalRect(panel);
  for (const int id : {1003, 1004}) {
    SCOPED_TRACE(id);
    QRect keyboard;
    test_support::ModalDriver modal([&keyboard](QDialog& dialog) {
      keyboard = QRect(dialog.pos(), dialog.size());
      dialog.done(platform::IDCANCEL);
    });
    QTest::mouseClick(Control(id), Qt::LeftButton);
    ASSERT_EQ(modal.Opened(), 1);
    ExpectKeyboardBesideItsField(keyboard, GlobalRect(*Control(id)), panelRect);
  }
  QRect boxRect;
  Qt::WindowFlags flags;
  test_support::ModalDriver modal([&](QDialog& dialog) {
    boxRect = dialog.frameGeometry();
    flags = dialog.windowFlags();
    dialog.done(QMessageBox::Cancel);
  });
  Click(1011);  // "Spegni"
  ASSERT_EQ(modal.Opened(), 1);
  EXPECT_TRUE(processes.requests.empty());
  EXPECT_LE(std::abs(boxRect.center().x() - panelRect.center().x()), 2);
  EXPECT_LE(std::abs(boxRect.center().y() - panelRect.center().y()), 2);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                        Qt::WindowCloseButtonHint));
}

}  // namespace
