// A modal dialog built from its template, run the way the original toolkit ran its dialogs.
//
// The constructor builds every control of the template (so the derived class can look its
// controls up right away); DoModal() calls OnInitDialog(), centres the dialog on the screen, shows
// it without a title bar and runs it modally until EndDialog(code), returning that code. Every key
// press or release meant for the dialog or any of its controls passes PreTranslateKey() first,
// whatever has the focus; returning true consumes it. A dialog with a modal frame and no title bar
// draws its raised edge inside its own area, so that it stands out from the window below.
//
//   TemplateDialog(id, parent, overrides)   builds template `id`; `overrides` create some controls
//                                           as subclasses (see DialogBuilder::OverrideControl)
//   DoModal()        IDOK / IDCANCEL / the code given to EndDialog; -1 when the template is unknown
//   EndDialog(code)  ends the modal run
//   GetControl(id)   a control by id, nullptr when there is none
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

  const res::DialogTemplate* m_template;
  DialogBuilder m_builder;
  bool m_built = false;
};

}  // namespace platform
