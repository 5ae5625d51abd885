// Windows device-independent bitmaps on disk: a .bmp file and a .ico file, written byte by byte so
// that the header fields, the bit depths and the palettes are exactly the ones the panel expects
// (Qt's own writers choose their depth themselves).
//
// Pixel rows go bottom-up and every row is padded to a multiple of four bytes. An icon image is a
// BITMAPINFOHEADER with twice the height, then the palette, the colour bits and a one-bit mask
// whose set bits are transparent.
//
//   WriteBmp24(image, path)       a 24-bit uncompressed .bmp of an opaque image
//   IconImage                     one picture of an icon: its pixels and its colour depth
//   WriteIco(images, path)        every picture into one .ico, in the order given
#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace art {

bool WriteBmp24(const QImage& image, const QString& path);

struct IconImage {
  QImage pixels;     // ARGB32; alpha 0 is transparent, anything else opaque
  int bitsPerPixel;  // 4, 8 or 24
};

// Fails when a 4 or 8 bit image has more colours than its palette holds.
bool WriteIco(const std::vector<IconImage>& images, const QString& path);

}  // namespace art
