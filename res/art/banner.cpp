#include "banner.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace art {

namespace {

constexpr QRgb kDeepBlue = 0x0C2A4C;
constexpr QRgb kLightBlue = 0x2F6FA6;
constexpr QRgb kAmber = 0xF0A830;
constexpr QRgb kSubtitle = 0xD8E6F4;
constexpr int kTextLeft = 26;
constexpr int kAccentTop = 84;
constexpr int kAccentHeight = 2;

// Widths of the faint bars and gaps on the right, in pixels, alternating bar and gap.
constexpr int kBars[] = {3, 2, 1, 2, 2, 1, 4, 2, 1, 3, 1, 1, 2, 2, 3, 1, 1, 2, 4, 1,
                         2, 3, 1, 1, 3, 2, 1, 2, 2, 1, 4, 2, 1, 1, 3, 2, 1, 3, 2, 1,
                         1, 2, 3, 1, 2, 2, 1, 1, 4, 2, 3, 1, 1, 2, 2, 3, 1, 2};
constexpr int kBarsRight = 612;
constexpr int kBarsTop = 16;
constexpr int kBarsBottom = 70;

QFont BannerFont(int pixelSize, QFont::Weight weight) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

void DrawBand(QPainter& painter) {
  QLinearGradient band(0, 0, kBannerWidth, 0);
  band.setColorAt(0.0, QColor(kDeepBlue));
  band.setColorAt(1.0, QColor(kLightBlue));
  painter.fillRect(0, 0, kBannerWidth, kBannerHeight, band);
  // A soft light from above, so the band does not look flat.
  QLinearGradient sheen(0, 0, 0, kAccentTop);
  sheen.setColorAt(0.0, QColor(255, 255, 255, 22));
  sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
  painter.fillRect(0, 0, kBannerWidth, kAccentTop, sheen);
  painter.fillRect(0, kAccentTop, kBannerWidth, kAccentHeight, QColor(kAmber));
}

void DrawBars(QPainter& painter) {
  int total = 0;
  for (const int width : kBars)
    total += width;
  int x = kBarsRight - total;
  bool bar = true;
  for (const int width : kBars) {
    if (bar)
      painter.fillRect(x, kBarsTop, width, kBarsBottom - kBarsTop, QColor(255, 255, 255, 30));
    x += width;
    bar = !bar;
  }
}

void DrawTexts(QPainter& painter) {
  painter.setPen(QColor(Qt::white));
  painter.setFont(BannerFont(34, QFont::Bold));
  painter.drawText(kTextLeft, 46, QStringLiteral("codepanel"));
  painter.setPen(QColor(kSubtitle));
  painter.setFont(BannerFont(15, QFont::Normal));
  painter.drawText(kTextLeft + 2, 70, QStringLiteral("Controllo codici astuccio e letteratura"));
}

}  // namespace

QImage DrawBanner() {
  QImage image(kBannerWidth, kBannerHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  DrawBand(painter);
  DrawBars(painter);
  DrawTexts(painter);
  return image;
}

}  // namespace art
