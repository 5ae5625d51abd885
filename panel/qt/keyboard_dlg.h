// The on-screen keyboard (dialog 129) in Qt: builds the template's controls and routes their
// messages to the keyboard's rules (panel/keyboard_model.h), which edit the value of a touch
// field as text, key by key, for an operator who has only the touch screen.
//
// Every key button's click goes to KeyboardModel::OnButton. While open, the keyboard takes every
// physical key, whatever has the focus: Return/Enter act as ENTER, Escape as ESC, Backspace as
// BACK, and a typed character goes to OnKey as its Windows-1252 code. SHIFT and CAPS are the
// checked states of their two toggle buttons, nothing else.
#pragma once

#include <QBrush>
#include <memory>

#include "panel/keyboard_model.h"
#include "platform/dialog/template_dialog.h"

class QLabel;
class QPushButton;

class CKeyboardDlg : public platform::TemplateDialog, private KeyboardHost {
  Q_OBJECT

 public:
  static constexpr int KEY_INV = ::KEY_INV;

  // The keyboard edits *value as described by *format; both stay the caller's.
  CKeyboardDlg(TouchValue* value, TouchFormat* format, QWidget* parent = nullptr);
  ~CKeyboardDlg() override;
  // Ends the modal run with `result`, as the base does; also what the shared rules call.
  void EndDialog(int result) override;

 protected:
  bool OnInitDialog() override;
  bool PreTranslateKey(QKeyEvent& event) override;

 private:
  void ConnectKeys();

  // KeyboardHost
  bool IsChecked(int id) override;
  void SetCheck(int id, bool checked) override;
  void SetFocus(int id) override;
  void SetText(int id, const std::string& text) override;

  QLabel* m_stState = nullptr;
  QLabel* m_stText = nullptr;
  QPushButton* m_btnShift = nullptr;
  QPushButton* m_btnCaps = nullptr;
  std::unique_ptr<QBrush> m_pBrush;  // the text display's white strip
  KeyboardModel m_model;
};
