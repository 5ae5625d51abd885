#include "panel/win32/keyboard_dlg.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "panel/win32/touch_edit.h"
#include "panel/win32/win32_text.h"
#include "res/dialog_template.h"

namespace panel::win32 {

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

CKeyboardDlg::CKeyboardDlg(TouchValue* value, TouchFormat* format)
    : CWin32Dialog(res::kKeyboardTemplate),
      m_pBrush(CreateSolidBrush(RGB(255, 255, 255))),
      m_pValue(value),
      m_pFormat(format) {}

CKeyboardDlg::~CKeyboardDlg() {
  DeleteObject(m_pBrush);
}

bool CKeyboardDlg::OnInitDialog() {
  // The static would read '&' as a mnemonic marker: the text is shown as it is typed.
  HWND display = Item(kTextDisplay);
  SetWindowLongW(display, GWL_STYLE, GetWindowLongW(display, GWL_STYLE) | SS_NOPREFIX);
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

bool CKeyboardDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (OnCommand(LOWORD(wParam)))
      return true;
  }
  if (message == WM_CTLCOLORSTATIC &&
      GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kTextDisplay) {
    SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
    result = reinterpret_cast<INT_PTR>(m_pBrush);
    return true;
  }
  return CWin32Dialog::OnMessage(message, wParam, lParam, result);
}

bool CKeyboardDlg::OnCommand(int id) {
  for (const LetterKey& key : kLetterKeys) {
    if (key.id == id) {
      // A letter is upper case when exactly one of SHIFT and CAPS is on.
      const bool upperCase = Checked(kCapsKey) != Checked(kShiftKey);
      OnKey(upperCase ? key.letter : static_cast<char>(key.letter - 'A' + 'a'));
      return true;
    }
  }
  for (const CharKey& key : kCharKeys) {
    if (key.id == id) {
      OnKey(Checked(kShiftKey) ? key.shiftedCode : key.code);
      return true;
    }
  }
  switch (id) {
    case kShiftKey:
    case kCapsKey:
      ShowState();  // the button has already toggled itself
      return true;
    case kEnterKey:
      OnEnter();
      return true;
    case kEscKey:
      OnEsc();
      return true;
    default:
      return false;
  }
}

bool CKeyboardDlg::Checked(int id) const {
  return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CKeyboardDlg::OnKey(int code) {
  // For every code, accepted or not: SHIFT holds for one key.
  SendMessageW(Item(kShiftKey), BM_SETCHECK, BST_UNCHECKED, 0);
  ::SetFocus(Item(kTextDisplay));  // away from the keys
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
  EndDialog(IDOK);
}

void CKeyboardDlg::OnEsc() {
  EndDialog(IDCANCEL);
}

void CKeyboardDlg::ShowText() {
  SetWindowTextCp1252(Item(kTextDisplay), m_szText);
}

void CKeyboardDlg::ShowState() {
  std::string state;
  if (Checked(kCapsKey))
    state = "CAPS";
  if (Checked(kShiftKey)) {
    if (!state.empty())
      state += ' ';
    state += "SHIFT";
  }
  SetWindowTextCp1252(Item(kStateDisplay), state);
}

// Every key is taken here. A key that makes a character goes through TranslateMessage, whose
// WM_CHAR comes back here as the code for OnKey.
bool CKeyboardDlg::PreTranslateMessage(MSG& message) {
  if (message.message == WM_CHAR) {
    const auto ch = static_cast<wchar_t>(message.wParam);
    // Return, Escape, Backspace and Tab make characters too; their keys have acted already.
    if (ch == L'\r' || ch == L'\n' || ch == 0x1B || ch == L'\b' || ch == L'\t')
      return true;
    const std::string code = ToCp1252(std::wstring(1, ch));
    if (code != "?" || ch == L'?')  // a character Windows-1252 lacks types nothing
      OnKey(static_cast<unsigned char>(code[0]));
    return true;
  }
  if (message.message != WM_KEYDOWN)
    return message.message == WM_KEYUP || message.message == WM_SYSCHAR;
  switch (message.wParam) {
    case VK_RETURN:
      OnEnter();
      return true;
    case VK_ESCAPE:
      OnEsc();
      return true;
    case VK_BACK:
      OnKey(kBackspace);
      return true;
    case VK_TAB:
      return true;
    default:
      TranslateMessage(&message);
      return true;
  }
}

}  // namespace panel::win32
