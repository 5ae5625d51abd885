#include "icon.h"

#include <cstring>

namespace art {

namespace {

// Where the parts lie at one size, in pixels: the front face of the carton, how far the top and
// the right side recede, and the bars of the label ('#' a bar pixel, '.' a gap), one column each.
struct Layout {
  int size;
  int frontX, frontY, frontWidth, frontHeight;
  int depth;
  int labelInset;  // from the front face's edge to the label
  const char* bars;
  bool detailed;  // room for a label frame and the seam of the flaps
};

constexpr Layout kLayouts[] = {
    {48, 3, 13, 34, 32, 8, 4, "##.#..##.#.###.#..#.##", true},
    {32, 2, 9, 23, 21, 5, 3, "#.##.#.##.#.#", true},
    {16, 0, 4, 12, 12, 3, 2, "#.##.#", false},
};

struct Colours {
  QRgb outline, top, frontTop, frontBottom, side, seam, label, labelFrame, bars;
};

constexpr Colours kTrueColours = {0xFF4A3216, 0xFFE8C285, 0xFFD9A862, 0xFFBD8644, 0xFFA06C33,
                                  0xFFB88A4C, 0xFFFFFFFF, 0xFF8A6A3A, 0xFF1A1A1A};
// Only colours of the standard sixteen, so the 4-bit picture is exact.
constexpr Colours kSixteenColours = {0xFF000000, 0xFFFFFF00, 0xFF808000, 0xFF808000, 0xFF808000,
                                     0xFF808000, 0xFFFFFFFF, 0xFF808080, 0xFF000000};

QRgb Blend(QRgb from, QRgb to, int step, int steps) {
  const auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
  return qRgb(mix(qRed(from), qRed(to)), mix(qGreen(from), qGreen(to)),
              mix(qBlue(from), qBlue(to)));
}

void Put(QImage& image, int x, int y, QRgb colour) {
  if (image.valid(x, y))
    image.setPixel(x, y, colour);
}

void FillRect(QImage& image, int x, int y, int width, int height, QRgb colour) {
  for (int row = y; row < y + height; ++row) {
    for (int column = x; column < x + width; ++column)
      Put(image, column, row, colour);
  }
}

void FrameRect(QImage& image, int x, int y, int width, int height, QRgb colour) {
  for (int column = x; column < x + width; ++column) {
    Put(image, column, y, colour);
    Put(image, column, y + height - 1, colour);
  }
  for (int row = y; row < y + height; ++row) {
    Put(image, x, row, colour);
    Put(image, x + width - 1, row, colour);
  }
}

void DrawCarton(QImage& image, const Layout& at, const Colours& colours) {
  const int left = at.frontX;
  const int top = at.frontY;
  const int right = at.frontX + at.frontWidth - 1;
  const int bottom = at.frontY + at.frontHeight - 1;
  // Faces: the top and the right side slant back at 45 degrees, one pixel per row.
  for (int k = 1; k <= at.depth; ++k) {
    for (int x = left + k; x <= right + k; ++x)
      Put(image, x, top - k, colours.top);
    for (int y = top - k; y <= bottom - k; ++y)
      Put(image, right + k, y, colours.side);
  }
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x)
      Put(image, x, y, Blend(colours.frontTop, colours.frontBottom, y - top, at.frontHeight - 1));
  }
  if (at.detailed) {
    const int half = at.depth / 2;
    for (int x = left + half + 1; x < right + half; ++x)
      Put(image, x, top - half, colours.seam);
  }
  // Edges.
  FrameRect(image, left, top, at.frontWidth, at.frontHeight, colours.outline);
  for (int k = 0; k <= at.depth; ++k) {
    Put(image, left + k, top - k, colours.outline);
    Put(image, right + k, top - k, colours.outline);
    Put(image, right + k, bottom - k, colours.outline);
  }
  for (int x = left + at.depth; x <= right + at.depth; ++x)
    Put(image, x, top - at.depth, colours.outline);
  for (int y = top - at.depth; y <= bottom - at.depth; ++y)
    Put(image, right + at.depth, y, colours.outline);
}

void DrawLabel(QImage& image, const Layout& at, const Colours& colours) {
  const int x = at.frontX + at.labelInset;
  const int y = at.frontY + at.labelInset;
  const int width = at.frontWidth - 2 * at.labelInset;
  const int height = at.frontHeight - 2 * at.labelInset;
  FillRect(image, x, y, width, height, colours.label);
  if (at.detailed)
    FrameRect(image, x, y, width, height, colours.labelFrame);
  const int margin = at.detailed ? 2 : 1;
  const int barsWidth = static_cast<int>(std::strlen(at.bars));
  const int barsX = x + (width - barsWidth) / 2;
  for (int i = 0; i < barsWidth; ++i) {
    if (at.bars[i] == '#')
      FillRect(image, barsX + i, y + margin, 1, height - 2 * margin, colours.bars);
  }
}

}  // namespace

QImage DrawIcon(int size, IconPalette palette) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  const Colours& colours = palette == IconPalette::kSixteen ? kSixteenColours : kTrueColours;
  for (const Layout& at : kLayouts) {
    if (at.size != size)
      continue;
    DrawCarton(image, at, colours);
    DrawLabel(image, at, colours);
  }
  return image;
}

}  // namespace art
