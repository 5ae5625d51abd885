#include "platform/dialog/resources.h"

#include <QFile>
#include <QString>

// The artwork sits in a static library: registering it here by name also makes the linker keep it.
// Outside any namespace, as the registration function is declared where this is expanded.
static void RegisterArtwork() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(artwork);
    return true;
  }();
  (void)registered;
}

namespace platform {

QPixmap ResourceBitmap(int id) {
  RegisterArtwork();
  // The format named, so that no reader has to guess it from the contents.
  return QPixmap(QStringLiteral(":/res/bitmap/%1.bmp").arg(id), "BMP");
}

QIcon ResourceIcon(int id) {
  RegisterArtwork();
  // With its suffix: an icon file without one is identified through the MIME database, which is
  // slow to load.
  const QString path = QStringLiteral(":/res/icon/%1.ico").arg(id);
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace platform
