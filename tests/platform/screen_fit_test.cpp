#include "platform/dialog/screen_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <cmath>
#include <cstdlib>

#include "platform/dialog/dialog_units.h"
#include "platform/dialog/template_dialog.h"
#include "res/dialog_template.h"

namespace {

using platform::ScreenFit;

// The panel at 96 dpi: 423 x 294 dialog units of 6 x 13 pixels.
constexpr QSize kPanel(635, 478);

// Sets the kiosk's fit for one test and puts the desktop's back afterwards.
class KioskScreen {
 public:
  explicit KioskScreen(const QRect& screen) {
    platform::SetScreenFit(platform::FitToScreen(res::kPanelTemplate, screen));
  }
  ~KioskScreen() { platform::SetScreenFit(ScreenFit{}); }
};

int Round(double value) {
  return static_cast<int>(std::lround(value));
}

TEST(ScreenFit, TheScaleFillsTheScreenOnTheTighterSide) {
  struct Case {
    QSize screen;
    double scale;
  };
  const Case cases[] = {
      {{1024, 768}, 768.0 / 478},    // 1021 x 768: as high as the screen
      {{1280, 1024}, 1280.0 / 635},  // 1280 x 964: as wide as the screen
      {{1920, 1080}, 1080.0 / 478},  // 1434 x 1080
      {{1280, 720}, 720.0 / 478},   {{635, 478}, 1.0},
      {{320, 240}, 240.0 / 478},  // a screen smaller than the panel shrinks it
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(platform::FitScale(kPanel, c.screen), c.scale) << c.screen.width();
    const QSize fitted = kPanel * c.scale;
    EXPECT_LE(fitted.width(), c.screen.width());
    EXPECT_LE(fitted.height(), c.screen.height());
  }
  EXPECT_EQ(platform::FitScale(QSize(0, 0), QSize(800, 600)), 1.0);
  EXPECT_EQ(platform::FitScale(kPanel, QSize()), 1.0);

  EXPECT_EQ(platform::TemplateSize(res::kPanelTemplate, 1.0), kPanel);
  const ScreenFit fit = platform::FitToScreen(res::kPanelTemplate, QRect(0, 0, 1920, 1080));
  EXPECT_TRUE(fit.fullScreen);
  EXPECT_EQ(fit.screen, QRect(0, 0, 1920, 1080));
  EXPECT_DOUBLE_EQ(fit.scale, 1080.0 / 478);
  // A screen of no size (not yet known) leaves the dialogs as on the desktop.
  const ScreenFit none = platform::FitToScreen(res::kPanelTemplate, QRect());
  EXPECT_FALSE(none.fullScreen);
  EXPECT_EQ(none.scale, 1.0);
}

TEST(ScreenFit, ScaledPixelsAreTheDesktopConversionAtScaleOne) {
  for (int dlu = -5; dlu <= 500; ++dlu) {
    ASSERT_EQ(platform::ScaledPixels(dlu, 6, 4, 1.0), platform::MulDiv(dlu, 6, 4)) << dlu;
    ASSERT_EQ(platform::ScaledPixels(dlu, 13, 8, 1.0), platform::MulDiv(dlu, 13, 8)) << dlu;
  }
  EXPECT_EQ(platform::ScaledPixels(423, 6, 4, 2.0), 1269);  // 634.5 x 2, not 635 x 2
  EXPECT_EQ(platform::ScaledPixels(8, 96, 72, 1.5), 16);
}

TEST(ScreenFit, KeyboardLeavesTheFieldInSightOverThePanel) {
  const QRect screen(0, 0, 1920, 1080);
  const QRect panel = platform::Centred(kPanel, screen);  // 643,301 635 x 478
  const QSize keyboard(649, 235);
  const QRect carton(panel.x() + 10, panel.y() + 151, 477, 29);
  const QRect leaflet(panel.x() + 10, panel.y() + 239, 477, 29);

  // Room below the carton field: across the panel's lower edge.
  const QRect belowCarton = platform::KeyboardRect(keyboard, panel, carton, screen);
  EXPECT_EQ(belowCarton.size(), keyboard);
  EXPECT_EQ(belowCarton.bottom(), panel.bottom());
  EXPECT_FALSE(belowCarton.intersects(carton));
  EXPECT_LE(std::abs(belowCarton.center().x() - panel.center().x()), 1);

  // Too little room below the leaflet field: across the upper edge.
  const QRect aboveLeaflet = platform::KeyboardRect(keyboard, panel, leaflet, screen);
  EXPECT_EQ(aboveLeaflet.top(), panel.top());
  EXPECT_FALSE(aboveLeaflet.intersects(leaflet));

  // Room on neither side inside the panel: the roomier side of the screen, touching the field.
  const QRect tall(0, 0, 649, 300);
  const QRect middle(panel.x(), panel.y() + 200, 400, 29);
  const QRect outside = platform::KeyboardRect(tall.size(), panel, middle, screen);
  EXPECT_FALSE(outside.intersects(middle));
  EXPECT_TRUE(outside.top() == middle.bottom() + 1 || outside.bottom() == middle.top() - 1);

  // Near the screen's edges it stays on the screen.
  const QRect corner(0, 0, 635, 478);
  const QRect wide = platform::KeyboardRect(QSize(700, 235), corner, QRect(5, 151, 477, 29),
                                            QRect(0, 0, 800, 600));
  EXPECT_EQ(wide.left(), 0);
  EXPECT_FALSE(wide.intersects(QRect(5, 151, 477, 29)));
  const QRect huge = platform::KeyboardRect(QSize(900, 700), corner, QRect(5, 151, 477, 29),
                                            QRect(0, 0, 800, 600));
  EXPECT_EQ(huge.topLeft(), QPoint(0, 0));
}

// The panel's template in a kiosk: a window over the whole screen, the face centred and enlarged
// with every control, font and picture in proportion.
TEST(ScreenFit, PanelIsEnlargedAndCentredWithItsProportions) {
  platform::TemplateDialog desktop(res::kPanelTemplateId);
  const int desktopFont = desktop.font().pixelSize();
  for (const QSize screenSize : {QSize(1024, 768), QSize(1280, 1024), QSize(1920, 1080)}) {
    SCOPED_TRACE(screenSize.width());
    const QRect screen(QPoint(0, 0), screenSize);
    const KioskScreen kiosk(screen);
    const double scale = platform::CurrentScreenFit().scale;
    platform::TemplateDialog dialog(res::kPanelTemplateId);
    EXPECT_EQ(dialog.Scale(), scale);
    EXPECT_EQ(dialog.size(), screenSize);

    // The face: the panel's own size times the factor, centred, within a pixel or two.
    const QRect face = dialog.Face()->geometry();
    const QRect expected = platform::Centred(QSize(Round(635 * scale), Round(478 * scale)), screen);
    EXPECT_LE(std::abs(face.left() - expected.left()), 2);
    EXPECT_LE(std::abs(face.top() - expected.top()), 2);
    EXPECT_LE(std::abs(face.width() - expected.width()), 2);
    EXPECT_LE(std::abs(face.height() - expected.height()), 2);
    EXPECT_TRUE(screen.contains(face));
    EXPECT_TRUE(face.width() >= screenSize.width() - 2 || face.height() >= screenSize.height() - 2);

    // Every control where the desktop has it, times the factor, on the face.
    for (const res::ControlTemplate& control : res::kPanelTemplate.controls) {
      if (control.id == -1)
        continue;
      const QRect small = desktop.GetControl(control.id)->geometry();
      const QWidget* widget = dialog.GetControl(control.id);
      ASSERT_EQ(widget->parentWidget(), dialog.Face());
      const QRect large = widget->geometry();
      EXPECT_LE(std::abs(large.x() - Round(small.x() * scale)), 2) << control.id;
      EXPECT_LE(std::abs(large.y() - Round(small.y() * scale)), 2) << control.id;
      EXPECT_LE(std::abs(large.width() - Round(small.width() * scale)), 2) << control.id;
      EXPECT_LE(std::abs(large.height() - Round(small.height() * scale)), 2) << control.id;
    }
    // Text drawn at the enlarged size, in the same proportion; the banner as well.
    EXPECT_LE(std::abs(dialog.font().pixelSize() - desktopFont * scale), 1.0);
    EXPECT_EQ(dialog.GetControl(1009)->font().pixelSize(), dialog.font().pixelSize());
    // A cell height's em is rounded at either size: within half a pixel of each, so scaled.
    EXPECT_LE(std::abs(platform::CellHeightFont("Tahoma", 20, 700).pixelSize() -
                       platform::CellHeightFont("Tahoma", 20, 700, 1.0).pixelSize() * scale),
              0.5 * scale + 0.5);
    EXPECT_LE(std::abs(platform::CellHeightFont("Tahoma", 18, 400).pixelSize() -
                       platform::CellHeightFont("Tahoma", 18, 400, 1.0).pixelSize() * scale),
              0.5 * scale + 0.5);
    const auto banner = [](const platform::TemplateDialog& panel) {
      for (const QLabel* label : panel.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
          return label->pixmap().size();
      }
      return QSize();
    };
    ASSERT_FALSE(banner(desktop).isEmpty());
    EXPECT_LE(std::abs(banner(dialog).width() - banner(desktop).width() * scale), 1.0);
    EXPECT_LE(std::abs(banner(dialog).height() - banner(desktop).height() * scale), 1.0);
  }
}

TEST(ScreenFit, DesktopKeepsTheTemplateSizeAndOneWindow) {
  platform::TemplateDialog dialog(res::kPanelTemplateId);
  EXPECT_EQ(dialog.Scale(), 1.0);
  EXPECT_EQ(dialog.Face(), &dialog);
  EXPECT_EQ(dialog.size(), kPanel);
  EXPECT_EQ(dialog.font().pixelSize(), 11);
}

// The keyboard is a little wider than the panel: where the panel fills the screen's width, the
// keyboard takes a smaller factor instead of running off the screen.
TEST(ScreenFit, KeyboardNeverOutgrowsTheScreen) {
  for (const QSize screenSize : {QSize(1024, 768), QSize(1280, 1024), QSize(1920, 1080)}) {
    SCOPED_TRACE(screenSize.width());
    const KioskScreen kiosk(QRect(QPoint(0, 0), screenSize));
    platform::TemplateDialog keyboard(res::kKeyboardTemplateId);
    EXPECT_LE(keyboard.Scale(), platform::CurrentScreenFit().scale);
    EXPECT_LE(keyboard.Face()->width(), screenSize.width());
    EXPECT_GE(keyboard.Face()->width(), screenSize.width() * 0.7);
  }
}

}  // namespace
