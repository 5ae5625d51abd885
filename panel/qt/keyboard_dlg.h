// The on-screen keyboard (dialog 129): edits the value of a touch field as text, key by key, for
// an operator who has only the touch screen.
//
// OnInitDialog turns the value into text by the field's kind; every key, on screen or physical,
// ends in OnKey, which turns SHIFT off first (SHIFT holds for one key), then accepts or refuses
// the code by the kind and the length limit (the text grows only while shorter than 80 and than
// m_nMaxLen). ENTER stores the text back into the value and ends with IDOK; ESC ends with
// IDCANCEL and leaves the value alone. SHIFT and CAPS are the checked states of their two toggle
// buttons, nothing else. While open, the keyboard takes every physical key, whatever has the
// focus: Return/Enter act as ENTER, Escape as ESC, Backspace as BACK, and a typed character goes
// to OnKey as its Windows-1252 code.
#pragma once

#include <QBrush>
#include <memory>

#include "panel/touch_format.h"
#include "platform/dialog/template_dialog.h"

class QLabel;
class QPushButton;

class CKeyboardDlg : public platform::TemplateDialog {
  Q_OBJECT

 public:
  static constexpr int KEY_INV = 511;  // the sign toggle, outside the character codes

  // The keyboard edits *value as described by *format; both stay the caller's.
  CKeyboardDlg(TouchValue* value, TouchFormat* format, QWidget* parent = nullptr);
  ~CKeyboardDlg() override;

 protected:
  bool OnInitDialog() override;
  bool PreTranslateKey(QKeyEvent& event) override;

 private:
  void ConnectKeys();
  void OnLetterKey(char upper);
  void OnCharKey(int code, int shiftedCode);
  void OnShiftCaps();
  void OnKey(int code);
  void OnEnter();
  void OnEsc();
  void Append(char c);
  bool CanGrow() const;
  void ShowText();
  void ShowState();

  QLabel* m_stState = nullptr;
  QLabel* m_stText = nullptr;
  QPushButton* m_btnShift = nullptr;
  QPushButton* m_btnCaps = nullptr;
  std::unique_ptr<QBrush> m_pBrush;  // the text display's white strip
  char m_szText[81] = {};
  TouchValue* m_pValue;
  TouchFormat* m_pFormat;
};
