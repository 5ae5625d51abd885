#include "dib_files.h"

#include <QFile>
#include <QRgb>
#include <algorithm>
#include <cstdint>

namespace art {

namespace {

constexpr int kInfoHeaderSize = 40;
constexpr int kFileHeaderSize = 14;
constexpr int kIconDirSize = 6;
constexpr int kIconEntrySize = 16;

// The sixteen colours every Windows display has, in their usual order; index 0 is black so that a
// transparent pixel (colour bits 0, mask bit 1) leaves the screen as it is.
constexpr QRgb kStandardColours[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

class Bytes {
 public:
  void U8(int value) { m_data.append(static_cast<char>(value & 0xFF)); }
  void U16(int value) {
    U8(value);
    U8(value >> 8);
  }
  void U32(std::uint32_t value) {
    U16(static_cast<int>(value & 0xFFFF));
    U16(static_cast<int>(value >> 16));
  }
  void PadRow(qsizetype rowStart) {
    while ((m_data.size() - rowStart) % 4 != 0)
      U8(0);
  }
  void Append(const QByteArray& more) { m_data.append(more); }
  qsizetype Size() const { return m_data.size(); }
  const QByteArray& Data() const { return m_data; }

 private:
  QByteArray m_data;
};

int RowBytes(int width, int bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

void InfoHeader(Bytes& out, int width, int height, int bitsPerPixel, std::uint32_t imageBytes) {
  out.U32(kInfoHeaderSize);
  out.U32(static_cast<std::uint32_t>(width));
  out.U32(static_cast<std::uint32_t>(height));
  out.U16(1);  // planes
  out.U16(bitsPerPixel);
  out.U32(0);  // uncompressed
  out.U32(imageBytes);
  out.U32(0);  // no preferred resolution
  out.U32(0);
  out.U32(0);  // palette size follows from the depth
  out.U32(0);
}

void Bgr(Bytes& out, QRgb colour) {
  out.U8(qBlue(colour));
  out.U8(qGreen(colour));
  out.U8(qRed(colour));
}

bool Opaque(QRgb pixel) {
  return qAlpha(pixel) != 0;
}
QRgb Colour(QRgb pixel) {
  return Opaque(pixel) ? (pixel & 0xFFFFFF) : 0;
}

// The palette of an indexed picture; empty when the picture needs more colours than it holds.
std::vector<QRgb> Palette(const QImage& image, int bitsPerPixel) {
  const std::size_t capacity = std::size_t{1} << bitsPerPixel;
  if (bitsPerPixel == 4)
    return {std::begin(kStandardColours), std::end(kStandardColours)};
  std::vector<QRgb> palette = {0};
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb colour = Colour(image.pixel(x, y));
      if (std::find(palette.begin(), palette.end(), colour) == palette.end())
        palette.push_back(colour);
    }
  }
  if (palette.size() > capacity)
    return {};
  palette.resize(capacity, 0);
  return palette;
}

bool ColourBits(Bytes& out, const QImage& image, int bitsPerPixel,
                const std::vector<QRgb>& palette) {
  for (int y = image.height() - 1; y >= 0; --y) {
    const qsizetype rowStart = out.Size();
    int pending = 0;  // 4-bit pixels go two to a byte, the left one in the high half
    for (int x = 0; x < image.width(); ++x) {
      const QRgb colour = Colour(image.pixel(x, y));
      if (bitsPerPixel == 24) {
        Bgr(out, colour);
        continue;
      }
      const auto found = std::find(palette.begin(), palette.end(), colour);
      if (found == palette.end())
        return false;
      const int index = static_cast<int>(found - palette.begin());
      if (bitsPerPixel == 8) {
        out.U8(index);
      } else if (x % 2 == 0) {
        pending = index << 4;
      } else {
        out.U8(pending | index);
      }
    }
    if (bitsPerPixel == 4 && image.width() % 2 != 0)
      out.U8(pending);
    out.PadRow(rowStart);
  }
  return true;
}

void MaskBits(Bytes& out, const QImage& image) {
  for (int y = image.height() - 1; y >= 0; --y) {
    const qsizetype rowStart = out.Size();
    int byte = 0;
    for (int x = 0; x < image.width(); ++x) {
      if (!Opaque(image.pixel(x, y)))
        byte |= 0x80 >> (x % 8);
      if (x % 8 == 7 || x == image.width() - 1) {
        out.U8(byte);
        byte = 0;
      }
    }
    out.PadRow(rowStart);
  }
}

bool IconResource(const IconImage& icon, QByteArray& resource) {
  const QImage& image = icon.pixels;
  const int depth = icon.bitsPerPixel;
  const std::vector<QRgb> palette = depth == 24 ? std::vector<QRgb>{} : Palette(image, depth);
  if (depth != 24 && palette.empty())
    return false;
  const auto imageBytes = static_cast<std::uint32_t>(
      (RowBytes(image.width(), depth) + RowBytes(image.width(), 1)) * image.height());
  Bytes out;
  // The height covers the colour bits and the mask together.
  InfoHeader(out, image.width(), 2 * image.height(), depth, imageBytes);
  for (const QRgb colour : palette) {
    Bgr(out, colour);
    out.U8(0);
  }
  if (!ColourBits(out, image, depth, palette))
    return false;
  MaskBits(out, image);
  resource = out.Data();
  return true;
}

bool Save(const QByteArray& data, const QString& path) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size() &&
         file.flush();
}

}  // namespace

bool WriteBmp24(const QImage& image, const QString& path) {
  const int rowBytes = RowBytes(image.width(), 24);
  const auto imageBytes = static_cast<std::uint32_t>(rowBytes * image.height());
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
  Bytes out;
  out.U8('B');
  out.U8('M');
  out.U32(offset + imageBytes);
  out.U32(0);  // reserved
  out.U32(offset);
  InfoHeader(out, image.width(), image.height(), 24, imageBytes);
  ColourBits(out, image, 24, {});
  return Save(out.Data(), path);
}

bool WriteIco(const std::vector<IconImage>& images, const QString& path) {
  std::vector<QByteArray> resources(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (!IconResource(images[i], resources[i]))
      return false;
  }
  Bytes out;
  out.U16(0);  // reserved
  out.U16(1);  // an icon, not a cursor
  out.U16(static_cast<int>(images.size()));
  auto offset = static_cast<std::uint32_t>(kIconDirSize + kIconEntrySize * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const QImage& image = images[i].pixels;
    out.U8(image.width());  // 256 would be stored as 0
    out.U8(image.height());
    out.U8(images[i].bitsPerPixel == 4 ? 16 : 0);  // palette size; 0 for 256 and more
    out.U8(0);
    out.U16(1);
    out.U16(images[i].bitsPerPixel);
    out.U32(static_cast<std::uint32_t>(resources[i].size()));
    out.U32(offset);
    offset += static_cast<std::uint32_t>(resources[i].size());
  }
  for (const QByteArray& resource : resources)
    out.Append(resource);
  return Save(out.Data(), path);
}

}  // namespace art
