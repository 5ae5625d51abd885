// How the dialogs meet the screen. On a desktop a dialog has its template's size at 96 dpi and
// its own window, as on the original. A kiosk (codepanel --fit-screen) enlarges every dialog by
// one factor, the one that makes the main panel as large as its screen allows with its
// proportions kept, the way Windows enlarges a dialog on a high-resolution screen: the fonts and
// the dialog units grow (text is drawn at its new size, so it stays sharp), the template's
// proportions stay. There a dialog's window covers the whole screen, since a kiosk compositor
// places windows by itself, and the dialog proper (its face) stands inside it: the main panel
// centred, the on-screen keyboard clear of the field it edits.
//
//   SetScreenFit(fit) / CurrentScreenFit()   the process's fit; before any dialog is built
//   FitScale(dialog, screen)                 the largest factor that keeps `dialog` on `screen`
//   FitToScreen(mainTemplate, screen)        the kiosk's fit: the main template fills `screen`
//                                            (the desktop's for an empty one)
//   DialogScaleFor(dialog)                   the kiosk's factor, less for a dialog that would not
//                                            fit the screen at it (1 on a desktop)
//   TemplateSize(template, scale)            a template's size in pixels at that factor
//   ScaledPixels(dlu, unit, per, scale)      dialog units to pixels at that factor
//   Centred(size, within)                    `size` centred on `within`
//   KeyboardRect(keyboard, panel, field, screen)  where the keyboard goes: across the panel's
//                                            lower edge when that leaves the field clear, else
//                                            across its upper edge, else on the roomier side
//   FitMessageBox(box)                       a message box with no window buttons; in a kiosk at
//                                            its scale, with a caption bar of its own (Qt centres
//                                            it on its owner's window, which is the panel's face
//                                            or has it at its centre)
#pragma once

#include <QRect>
#include <QSize>

#include "res/dialog_template.h"

class QMessageBox;

namespace platform {

struct ScreenFit {
  double scale = 1.0;
  bool fullScreen = false;  // dialogs cover `screen`, their faces placed inside
  QRect screen;
};

void SetScreenFit(const ScreenFit& fit);
const ScreenFit& CurrentScreenFit();

double FitScale(QSize dialog, QSize screen);
ScreenFit FitToScreen(const res::DialogTemplate& mainTemplate, const QRect& screen);
double DialogScaleFor(const res::DialogTemplate& dialog);
QSize TemplateSize(const res::DialogTemplate& dialog, double scale);

int ScaledPixels(int dlu, int baseUnit, int unitsPerBase, double scale);

QRect Centred(QSize size, const QRect& within);
QRect KeyboardRect(QSize keyboard, const QRect& panel, const QRect& field, const QRect& screen);

void FitMessageBox(QMessageBox& box);

}  // namespace platform
