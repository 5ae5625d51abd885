#include "platform/dialog/dialog_units.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QRawFont>
#include <QStringList>
#include <cstdlib>

namespace platform {

namespace {

// Only the regular face: the bold file of this Tahoma draws regular-weight glyphs, so bold text is
// emboldened by the rasteriser instead, which does show bold.
constexpr const char* kTahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
};
constexpr const char* kFallbackFamily = "DejaVu Sans";

// Registers Tahoma once per process; its metrics match the original, so the dialogs keep their
// proportions. Returns the family to use for the shell dialog faces.
QString ShellDialogFamily() {
  static const QString family = [] {
    QString loaded;
    for (const char* path : kTahomaFiles) {
      if (!QFile::exists(QString::fromLatin1(path)))
        continue;
      const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
      const QStringList families = QFontDatabase::applicationFontFamilies(id);
      if (!families.isEmpty() && loaded.isEmpty())
        loaded = families.first();
    }
    return loaded.isEmpty() ? QString::fromLatin1(kFallbackFamily) : loaded;
  }();
  return family;
}

// A font's Windows ascent and descent (OS/2 table) in font units: the original platform measures
// a font's cell with these. Qt's own height may follow the typographic metrics instead, which for
// Tahoma is two or three pixels less.
struct CellMetrics {
  int ascent = 0;
  int descent = 0;
  int unitsPerEm = 0;
  bool valid() const { return unitsPerEm > 0 && ascent + descent > 0; }
};

CellMetrics CellMetricsOf(const QFont& font) {
  const QRawFont raw = QRawFont::fromFont(font);
  const QByteArray os2 = raw.fontTable("OS/2");
  constexpr int kWinAscentOffset = 74;  // usWinAscent, then usWinDescent, big-endian
  if (!raw.isValid() || os2.size() < kWinAscentOffset + 4)
    return {};
  const auto u16 = [&os2](int at) {
    return (static_cast<unsigned char>(os2[at]) << 8) | static_cast<unsigned char>(os2[at + 1]);
  };
  return {u16(kWinAscentOffset), u16(kWinAscentOffset + 2), static_cast<int>(raw.unitsPerEm())};
}

// The cell height in pixels: ascent and descent each scaled to the pixel size and rounded.
int CellHeight(const QFont& font) {
  const CellMetrics cell = CellMetricsOf(font);
  if (!cell.valid())
    return QFontMetrics(font).height();
  const int pixels = font.pixelSize();
  return MulDiv(cell.ascent, pixels, cell.unitsPerEm) +
         MulDiv(cell.descent, pixels, cell.unitsPerEm);
}

}  // namespace

QFont DialogFont(const QString& face, int pointSize, int weight, double scale) {
  QString family = face;
  if (face == QLatin1String("MS Shell Dlg") || face == QLatin1String("MS Shell Dlg 2") ||
      face == QLatin1String("Tahoma"))
    family = ShellDialogFamily();
  QFont font(family);
  font.setPixelSize(ScaledPixels(pointSize, 96, 72, scale));
  font.setWeight(static_cast<QFont::Weight>(weight));
  return font;
}

BaseUnits BaseUnitsOf(const QFont& font) {
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const QFontMetrics metrics(font);
  const int total = metrics.horizontalAdvance(kLetters);
  return {MulDiv(total, 1, 52), CellHeight(font)};
}

QFont CellHeightFont(const QString& face, int cellHeight, int weight, double scale) {
  QFont font = DialogFont(face, 8, weight, 1.0);
  const CellMetrics cell = CellMetricsOf(font);
  // The em that makes the cell as high as asked, as the original maps a positive font height.
  font.setPixelSize(
      cell.valid() ? ScaledPixels(cellHeight, cell.unitsPerEm, cell.ascent + cell.descent, scale)
                   : ScaledPixels(cellHeight, 1, 1, scale));
  return font;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0)
    return -1;  // as the system's MulDiv reports an overflow
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const long long magnitude = (std::llabs(product) + half) / std::llabs(denominator);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect ToPixels(int x, int y, int width, int height, BaseUnits units) {
  return QRect(ToPixelsX(x, units), ToPixelsY(y, units), ToPixelsX(width, units),
               ToPixelsY(height, units));
}

}  // namespace platform
