#include "panel/keyboard_dlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "panel/touch_edit.h"
#include "platform/dialog/qt_text.h"
#include "res/dialog_template.h"

namespace {

constexpr int kStateDisplay = 1051;
constexpr int kTextDisplay = 1048;
constexpr int kShiftKey = 1043;
constexpr int kCapsKey = 1041;
constexpr int kEnterKey = 1046;
constexpr int kEscKey = 1047;

constexpr int kBackspace = 8;
constexpr int kDelete = 0x7F;
constexpr std::size_t kTextLimit = 80;  // characters of m_szText

struct LetterKey {
  int id;
  char letter;  // the caption, upper case
};

constexpr LetterKey kLetterKeys[] = {
    {1002, 'Q'}, {1003, 'W'}, {1004, 'E'}, {1005, 'R'}, {1006, 'T'}, {1007, 'Y'}, {1008, 'U'},
    {1009, 'I'}, {1010, 'O'}, {1011, 'P'}, {1012, 'A'}, {1013, 'S'}, {1014, 'D'}, {1015, 'F'},
    {1016, 'G'}, {1017, 'H'}, {1018, 'J'}, {1019, 'K'}, {1020, 'L'}, {1022, 'Z'}, {1023, 'X'},
    {1024, 'C'}, {1025, 'V'}, {1026, 'B'}, {1027, 'N'}, {1028, 'M'},
};

// The code each other key gives without and with SHIFT; CAPS does not act on these.
struct CharKey {
  int id;
  int code;
  int shiftedCode;
};

constexpr CharKey kCharKeys[] = {
    {1032, '1', '!'},
    {1033, '2', '"'},
    {1034, '3', 0xA3},  // the pound sign in Windows-1252
    {1035, '4', '$'},
    {1036, '5', '%'},
    {1037, '6', '&'},
    {1038, '7', '/'},
    {1039, '8', '('},
    {1040, '9', ')'},
    {1031, '0', '='},
    {1042, '\'', '?'},
    {1050, CKeyboardDlg::KEY_INV, CKeyboardDlg::KEY_INV},
    {1045, '+', '*'},
    {1029, ',', ';'},
    {1030, '.', ':'},
    {1044, '-', '_'},
    {1049, kBackspace, kBackspace},
    {1021, ' ', ' '},  // the space bar
};

// The characters that only text may hold, besides letters, digits and the point.
bool IsTextSymbol(int code) {
  constexpr std::string_view kSymbols = " !\"$%&'()*+,-/:;=?_\xA3";
  return code >= 0 && code <= 0xFF &&
         kSymbols.find(static_cast<char>(code)) != std::string_view::npos;
}

bool IsSignedKind(int kind) {
  return kind == TE_SHORT || kind == TE_LONG;
}

}  // namespace

CKeyboardDlg::CKeyboardDlg(TouchValue* value, TouchFormat* format, QWidget* parent)
    : platform::TemplateDialog(res::kKeyboardTemplateId, parent),
      m_stState(GetControl<QLabel>(kStateDisplay)),
      m_stText(GetControl<QLabel>(kTextDisplay)),
      m_btnShift(GetControl<QPushButton>(kShiftKey)),
      m_btnCaps(GetControl<QPushButton>(kCapsKey)),
      m_pBrush(std::make_unique<QBrush>(Qt::white)),
      m_pValue(value),
      m_pFormat(format) {
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
  for (const LetterKey& key : kLetterKeys) {
    if (auto* button = GetControl<QPushButton>(key.id))
      connect(button, &QPushButton::clicked, this, [this, key] { OnLetterKey(key.letter); });
  }
  for (const CharKey& key : kCharKeys) {
    if (auto* button = GetControl<QPushButton>(key.id))
      connect(button, &QPushButton::clicked, this,
              [this, key] { OnCharKey(key.code, key.shiftedCode); });
  }
  connect(m_btnShift, &QPushButton::clicked, this, &CKeyboardDlg::OnShiftCaps);
  connect(m_btnCaps, &QPushButton::clicked, this, &CKeyboardDlg::OnShiftCaps);
  if (auto* enter = GetControl<QPushButton>(kEnterKey))
    connect(enter, &QPushButton::clicked, this, &CKeyboardDlg::OnEnter);
  if (auto* esc = GetControl<QPushButton>(kEscKey))
    connect(esc, &QPushButton::clicked, this, &CKeyboardDlg::OnEsc);
}

bool CKeyboardDlg::OnInitDialog() {
  platform::TemplateDialog::OnInitDialog();
  const int width = std::min(m_pFormat->m_nMaxLen + 1, static_cast<int>(kTextLimit));
  m_szText[0] = '\0';
  switch (m_pFormat->m_nKind) {
    case TE_TEXT:
      if (const auto* buffer = reinterpret_cast<const char*>(*m_pValue))
        StrCopyN(m_szText, buffer, kTextLimit);
      break;
    case TE_BYTE:
      m_szText[0] = static_cast<char>(static_cast<std::uint8_t>(*m_pValue));
      m_szText[1] = '\0';
      break;
    default:
      CTouchEdit::FormatNumber(*m_pValue, *m_pFormat, m_szText, width);
      break;
  }
  ShowText();
  return true;
}

// A letter is upper case when exactly one of SHIFT and CAPS is on.
void CKeyboardDlg::OnLetterKey(char upper) {
  const bool upperCase = m_btnCaps->isChecked() != m_btnShift->isChecked();
  OnKey(upperCase ? upper : static_cast<char>(upper - 'A' + 'a'));
}

void CKeyboardDlg::OnCharKey(int code, int shiftedCode) {
  OnKey(m_btnShift->isChecked() ? shiftedCode : code);
}

// The button has already toggled itself.
void CKeyboardDlg::OnShiftCaps() {
  ShowState();
}

void CKeyboardDlg::OnKey(int code) {
  m_btnShift->setChecked(false);  // for every code, accepted or not: SHIFT holds for one key
  m_stText->setFocus(Qt::OtherFocusReason);
  ShowState();

  const int kind = m_pFormat->m_nKind;
  const bool text = kind == TE_TEXT;
  const int radix = m_pFormat->m_nRadix;
  if ((code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z')) {
    const int digit = 10 + (code <= 'Z' ? code - 'A' : code - 'a');
    if (!text && digit >= radix)
      return;
    Append(static_cast<char>(code));
  } else if ((code >= '0' && code <= '9') || code == '.') {
    if (!text && code != '.' && code - '0' >= radix)
      return;
    Append(static_cast<char>(code));  // several points are not prevented
  } else if (code == kBackspace) {
    const std::size_t length = std::strlen(m_szText);
    if (length > 0)
      m_szText[length - 1] = '\0';
  } else if (code == kDelete) {
    // Nothing changes, but the text is shown again like any handled key.
  } else if (IsTextSymbol(code)) {
    if (!text)
      return;
    Append(static_cast<char>(code));
  } else if (code == KEY_INV && IsSignedKind(kind)) {
    const std::size_t length = std::strlen(m_szText);
    if (m_szText[0] == '-') {
      std::memmove(m_szText, m_szText + 1, length);  // with the NUL
    } else if (CanGrow()) {
      std::memmove(m_szText + 1, m_szText, length + 1);
      m_szText[0] = '-';
    }
  } else {
    return;  // an ignored code leaves even the display alone
  }
  ShowText();
}

bool CKeyboardDlg::CanGrow() const {
  const std::size_t length = std::strlen(m_szText);
  return length < kTextLimit && static_cast<long long>(length) < m_pFormat->m_nMaxLen;
}

void CKeyboardDlg::Append(char c) {
  if (!CanGrow())
    return;
  const std::size_t length = std::strlen(m_szText);
  m_szText[length] = c;
  m_szText[length + 1] = '\0';
}

// The value is written back even when the text did not change.
void CKeyboardDlg::OnEnter() {
  switch (m_pFormat->m_nKind) {
    case TE_TEXT:
      // Never more than the field's buffer holds.
      if (auto* buffer = reinterpret_cast<char*>(*m_pValue))
        StrCopyN(buffer, m_szText, std::min(kTextLimit, kTouchTextBufferSize));
      break;
    case TE_BYTE:
      *m_pValue = static_cast<std::uint8_t>(m_szText[0]);
      break;
    default:
      CTouchEdit::ParseNumber(m_szText, *m_pFormat, *m_pValue);
      break;
  }
  EndDialog(platform::IDOK);
}

void CKeyboardDlg::OnEsc() {
  EndDialog(platform::IDCANCEL);
}

void CKeyboardDlg::ShowText() {
  m_stText->setText(platform::ToQString(m_szText));
}

void CKeyboardDlg::ShowState() {
  std::string state;
  if (m_btnCaps->isChecked())
    state = "CAPS";
  if (m_btnShift->isChecked()) {
    if (!state.empty())
      state += ' ';
    state += "SHIFT";
  }
  m_stState->setText(platform::ToQString(state));
}

// Every key is taken here, so no focused key is ever pressed by Space or Return. Tab, which the
// dialog manager would take for moving between controls, makes no character.
bool CKeyboardDlg::PreTranslateKey(QKeyEvent& event) {
  if (event.type() != QEvent::KeyPress)
    return true;
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      OnEnter();
      return true;
    case Qt::Key_Escape:
      OnEsc();
      return true;
    case Qt::Key_Backspace:
      OnKey(kBackspace);
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
      OnKey(code);
  }
  return true;
}
