// Writes banner.bmp, panel.ico and the desktop icons (icons/codepanel-N.png, the sizes the icon
// theme asks for) into the folder given; with a second folder, also PNG copies of every picture
// there, for looking at them.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <vector>

#include "banner.h"
#include "dib_files.h"
#include "icon.h"

namespace {

constexpr int kDepths[] = {4, 8, 24};

// A desktop icon: one of the drawn sizes, enlarged by whole pixels so the bars stay sharp.
struct ThemeIcon {
  int size;
  int drawnSize;
};
constexpr ThemeIcon kThemeIcons[] = {{16, 16}, {32, 32},  {48, 48},  {64, 32},
                                     {96, 48}, {128, 32}, {192, 48}, {256, 32}};

bool WriteThemeIcons(const QDir& res) {
  if (!res.mkpath(QStringLiteral("icons")))
    return false;
  for (const ThemeIcon& icon : kThemeIcons) {
    const QImage drawn = art::DrawIcon(icon.drawnSize, art::IconPalette::kTrueColour);
    const QImage sized = drawn.scaled(icon.size, icon.size, Qt::IgnoreAspectRatio,
                                      Qt::FastTransformation);  // nearest pixel
    if (!sized.save(res.filePath(QStringLiteral("icons/codepanel-%1.png").arg(icon.size))))
      return false;
  }
  return true;
}

std::vector<art::IconImage> IconImages() {
  std::vector<art::IconImage> images;
  for (const int size : art::kIconSizes) {
    for (const int depth : kDepths) {
      const auto palette = depth == 4 ? art::IconPalette::kSixteen : art::IconPalette::kTrueColour;
      images.push_back({art::DrawIcon(size, palette), depth});
    }
  }
  return images;
}

bool WritePreviews(const QImage& banner, const std::vector<art::IconImage>& icons,
                   const QDir& folder) {
  bool ok = banner.save(folder.filePath(QStringLiteral("banner.png")));
  for (const art::IconImage& icon : icons) {
    const int size = icon.pixels.width();
    const QString name = QStringLiteral("icon-%1-%2bpp.png").arg(size).arg(icon.bitsPerPixel);
    // Eight times larger as well, so single pixels can be judged.
    ok = ok && icon.pixels.save(folder.filePath(name)) &&
         icon.pixels.scaled(size * 8, size * 8).save(folder.filePath(QStringLiteral("x8-") + name));
  }
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: draw_art RES-FOLDER [PREVIEW-FOLDER]\n");
    return 2;
  }
  const QDir res(QString::fromLocal8Bit(argv[1]));
  const QImage banner = art::DrawBanner();
  const std::vector<art::IconImage> icons = IconImages();
  if (!art::WriteBmp24(banner, res.filePath(QStringLiteral("banner.bmp"))) ||
      !art::WriteIco(icons, res.filePath(QStringLiteral("panel.ico"))) || !WriteThemeIcons(res)) {
    std::fprintf(stderr, "draw_art: cannot write the artwork into %s\n", argv[1]);
    return 1;
  }
  if (argc > 2 && !WritePreviews(banner, icons, QDir(QString::fromLocal8Bit(argv[2])))) {
    std::fprintf(stderr, "draw_art: cannot write the previews into %s\n", argv[2]);
    return 1;
  }
  return 0;
}
