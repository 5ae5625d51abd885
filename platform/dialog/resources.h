// Bitmaps and icons by resource number, as the original program's resources numbered them. The
// files live in res/ and are compiled into the program (res/CMakeLists.txt names each number).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace platform {

QPixmap ResourceBitmap(int id);  // a null pixmap when there is none
QIcon ResourceIcon(int id);      // a null icon when there is none

}  // namespace platform
