#include "panel/qt/keyboard_dlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "panel/panel_setup.h"
#include "platform/dialog/qt_text.h"
#include "res/dialog_template.h"

CKeyboardDlg::CKeyboardDlg(TouchValue* value, TouchFormat* format, QWidget* parent)
    : platform::TemplateDialog(res::kKeyboardTemplateId, parent),
      m_stState(GetControl<QLabel>(kKeyboardStateDisplay)),
      m_stText(GetControl<QLabel>(kKeyboardTextDisplay)),
      m_btnShift(GetControl<QPushButton>(kShiftKey)),
      m_btnCaps(GetControl<QPushButton>(kCapsKey)),
      m_pBrush(std::make_unique<QBrush>(QColor(kKeyboardTextBackground.red,
                                               kKeyboardTextBackground.green,
                                               kKeyboardTextBackground.blue))),
      m_model(*this, value, format) {
  if (m_stState == nullptr || m_stText == nullptr || m_btnShift == nullptr || m_btnCaps == nullptr)
    return;  // no template: DoModal refuses to run
  // The edited text stands on a white strip; the other controls keep the dialog's colours.
  QPalette palette = m_stText->palette();
  palette.setBrush(QPalette::Window, *m_pBrush);
  m_stText->setPalette(palette);
  m_stText->setAutoFillBackground(true);
  m_stText->setFocusPolicy(Qt::ClickFocus);  // OnKey parks the focus here, away from the keys
  ConnectKeys();
}

CKeyboardDlg::~CKeyboardDlg() = default;

void CKeyboardDlg::ConnectKeys() {
  const auto connectKey = [this](int id) {
    if (auto* button = GetControl<QPushButton>(id))
      connect(button, &QPushButton::clicked, this, [this, id] { m_model.OnButton(id); });
  };
  for (const LetterKey& key : kLetterKeys)
    connectKey(key.id);
  for (const CharKey& key : kCharKeys)
    connectKey(key.id);
  for (const int id : {kShiftKey, kCapsKey, kEnterKey, kEscKey})
    connectKey(id);
}

bool CKeyboardDlg::OnInitDialog() {
  platform::TemplateDialog::OnInitDialog();
  m_model.OnInitDialog();
  return true;
}

bool CKeyboardDlg::IsChecked(int id) {
  auto* button = GetControl<QPushButton>(id);
  return button != nullptr && button->isChecked();
}

// A check set here is no click: it never comes back as a key.
void CKeyboardDlg::SetCheck(int id, bool checked) {
  if (auto* button = GetControl<QPushButton>(id))
    button->setChecked(checked);
}

void CKeyboardDlg::SetFocus(int id) {
  if (QWidget* control = GetControl(id))
    control->setFocus(Qt::OtherFocusReason);
}

void CKeyboardDlg::SetText(int id, const std::string& text) {
  if (auto* label = GetControl<QLabel>(id))
    label->setText(platform::ToQString(text));
}

void CKeyboardDlg::EndDialog(int result) {
  platform::TemplateDialog::EndDialog(result);
}

// Every key is taken here, so no focused key is ever pressed by Space or Return. Tab, which the
// dialog manager would take for moving between controls, makes no character.
bool CKeyboardDlg::PreTranslateKey(QKeyEvent& event) {
  if (event.type() != QEvent::KeyPress)
    return true;
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      m_model.OnEnter();
      return true;
    case Qt::Key_Escape:
      m_model.OnEsc();
      return true;
    case Qt::Key_Backspace:
      m_model.OnKey(kKeyBackspace);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return true;
    default:
      break;
  }
  for (const char32_t ch : event.text().toUcs4()) {
    const int code = platform::CharToCp1252(ch);
    if (code >= 0)
      m_model.OnKey(code);
  }
  return true;
}
