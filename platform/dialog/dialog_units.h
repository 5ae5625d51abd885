// Dialog units and dialog fonts. A template gives sizes in dialog units so that a dialog scales
// with its font: one horizontal unit is a quarter of the font's average letter width, one vertical
// unit an eighth of its height. Point sizes become pixel sizes at 96 dpi, so a dialog has the same
// size in pixels on any screen; a kiosk enlarges every size by its factor (screen_fit.h), fonts
// included, and the base units stay those at 96 dpi so that the layout keeps its proportions.
//
//   DialogFont(face, points, weight[, scale])    the font for a template's font entry; "MS Shell
//                                      Dlg" and "Tahoma" become Tahoma when its file is installed,
//                                      else "DejaVu Sans"; its pixel size times `scale`
//   CellHeightFont(face, cell, weight[, scale])  the font whose character cell is `cell` pixels
//                                      high (times `scale`), as a positive font height asks for
//   BaseUnitsOf(font)                  horizontal: average width of A-Z a-z, rounded;
//                                      vertical: the font's cell height (Windows ascent + descent)
//   MulDiv(a, b, c)                    a * b / c rounded to the nearest, halves away from zero
//   ToPixelsX / ToPixelsY / ToPixels   dialog units to pixels
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "platform/dialog/screen_fit.h"

namespace platform {

struct BaseUnits {
  int horizontal;
  int vertical;
};

// `scale` defaults to the kiosk's factor, 1 on a desktop.
QFont DialogFont(const QString& face, int pointSize, int weight,
                 double scale = CurrentScreenFit().scale);
QFont CellHeightFont(const QString& face, int cellHeight, int weight,
                     double scale = CurrentScreenFit().scale);
BaseUnits BaseUnitsOf(const QFont& font);

int MulDiv(int number, int numerator, int denominator);
inline int ToPixelsX(int dlu, BaseUnits units) {
  return MulDiv(dlu, units.horizontal, 4);
}
inline int ToPixelsY(int dlu, BaseUnits units) {
  return MulDiv(dlu, units.vertical, 8);
}
QRect ToPixels(int x, int y, int width, int height, BaseUnits units);

}  // namespace platform
