// Builds the widgets of a dialog template inside a QDialog. Every control is created in template
// order (which makes the tab order), given its caption, and placed at its rectangle converted with
// the base units of the dialog's own font; the dialog gets its template size the same way. At a
// scale other than 1 (a kiosk, screen_fit.h) the font, every rectangle and the pictures are that
// much larger, the base units staying those at 96 dpi, and the controls may stand on a face
// widget inside a larger dialog window.
//
// Kinds: push button -> QPushButton (never a default button); push-like check box -> checkable
// QPushButton; static text -> QLabel; edit -> QLineEdit; picture -> QLabel; list box ->
// QListWidget. OverrideControl replaces the widget of one id, so a dialog can have a control
// created as a subclass (the panel's code fields are touch fields).
//
//   OverrideControl(id, factory)   create control `id` with `factory(parent)` instead
//   SetBitmapSource(source)        where pictures get their bitmap from, by resource number
//   Build(template, dialog[, face, scale])  creates and places everything on `face` (the dialog
//                                  itself unless given), which gets the template's size; false
//                                  for an empty template
//   Control(id)                    the widget of a control, nullptr when there is none
//   Units()                        the base units the dialog was laid out with
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <map>

#include "platform/dialog/dialog_units.h"
#include "res/dialog_template.h"

namespace platform {

using ControlFactory = std::function<QWidget*(QWidget* parent)>;
using BitmapSource = std::function<QPixmap(int bitmapId)>;

class DialogBuilder {
 public:
  void OverrideControl(int id, ControlFactory factory);
  void SetBitmapSource(BitmapSource source);
  bool Build(const res::DialogTemplate& dialogTemplate, QDialog& dialog);
  bool Build(const res::DialogTemplate& dialogTemplate, QDialog& dialog, QWidget& face,
             double scale);

  QWidget* Control(int id) const;
  BaseUnits Units() const { return m_units; }

 private:
  QWidget* CreateControl(const res::ControlTemplate& control, QWidget& face) const;

  std::map<int, ControlFactory> m_factories;
  BitmapSource m_bitmaps;
  std::map<int, QWidget*> m_controls;  // owned by the dialog
  BaseUnits m_units{0, 0};
  double m_scale = 1.0;
};

}  // namespace platform
