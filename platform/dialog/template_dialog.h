// A modal dialog built from its template, run the way the original toolkit ran its dialogs.
//
// The constructor builds every control of the template (so the derived class can look its
// controls up right away); DoModal() calls OnInitDialog(), centres the dialog on the screen, shows
// it without a title bar and runs it modally until EndDialog(code), returning that code. Every key
// press or release meant for the dialog or any of its controls passes PreTranslateKey() first,
// whatever has the focus; returning true consumes it. A dialog with a modal frame and no title bar
// draws its raised edge inside its own area, so that it stands out from the window below.
// In a kiosk (screen_fit.h) the dialog is enlarged by the kiosk's factor and its window covers the
// screen: the dialog proper, its face, stands centred in it on black, or, for a dialog opened over
// another (the keyboard), where PlaceBeside puts it on a see-through window.
//
//   TemplateDialog(id, parent, overrides)   builds template `id`; `overrides` create some controls
//                                           as subclasses (see DialogBuilder::OverrideControl)
//   DoModal()        IDOK / IDCANCEL / the code given to EndDialog; -1 when the template is unknown
//   EndDialog(code)  ends the modal run
//   GetControl(id)   a control by id, nullptr when there is none
//   PlaceBeside(field)  opens over the field's dialog but clear of the field (KeyboardRect)
//   FaceGeometry()   where the dialog proper stands, in screen coordinates
//   accept() / reject() end with IDOK / IDCANCEL
#pragma once

#include <QDialog>
#include <QKeyEvent>
#include <map>

#include "platform/dialog/dialog_builder.h"
#include "platform/dialog/dialog_units.h"
#include "res/dialog_template.h"

namespace platform {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TemplateDialog(int templateId, QWidget* parent = nullptr,
                          const std::map<int, ControlFactory>& overrides = {});

  int DoModal();
  void EndDialog(int result);

  QWidget* GetControl(int id) const { return m_builder.Control(id); }
  template <typename Widget>
  Widget* GetControl(int id) const {
    return qobject_cast<Widget*>(GetControl(id));
  }
  BaseUnits Units() const { return m_builder.Units(); }
  double Scale() const { return m_scale; }
  QWidget* Face() const { return m_face; }
  QRect FaceGeometry() const;
  void PlaceBeside(const QWidget& field);

  void accept() override;
  void reject() override;

 protected:
  // After the controls exist, before the dialog shows. Returning true puts the focus on the first
  // tab-stop control; return false after setting the focus yourself.
  virtual bool OnInitDialog();
  // Sees every key event of the dialog and its controls before they do; true: consumed.
  virtual bool PreTranslateKey(QKeyEvent& event);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void FocusFirstTabStop();
  void CenterOnScreen();
  void PlaceOnScreen();
  QRect PlacedFace(const QRect& screen) const;

  const res::DialogTemplate* m_template;
  DialogBuilder m_builder;
  bool m_built = false;
  double m_scale = 1.0;
  QWidget* m_face = this;  // a child only when the window covers the screen
  bool m_besideField = false;
  QRect m_ownerFace;  // PlaceBeside: the field's dialog and the field, in screen coordinates
  QRect m_field;
};

}  // namespace platform
