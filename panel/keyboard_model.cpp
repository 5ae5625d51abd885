#include "panel/keyboard_model.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

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

KeyboardModel::KeyboardModel(KeyboardHost& host, TouchValue* value, const TouchFormat* format)
    : m_host(host), m_pValue(value), m_pFormat(format) {}

void KeyboardModel::OnInitDialog() {
  const int width = std::min(m_pFormat->m_nMaxLen + 1, static_cast<int>(kKeyboardTextLimit));
  m_szText[0] = '\0';
  switch (m_pFormat->m_nKind) {
    case TE_TEXT:
      if (const auto* buffer = reinterpret_cast<const char*>(*m_pValue))
        StrCopyN(m_szText, buffer, kKeyboardTextLimit);
      break;
    case TE_BYTE:
      m_szText[0] = static_cast<char>(static_cast<std::uint8_t>(*m_pValue));
      m_szText[1] = '\0';
      break;
    default:
      FormatNumber(*m_pValue, *m_pFormat, m_szText, width);
      break;
  }
  ShowText();
}

bool KeyboardModel::OnButton(int id) {
  for (const LetterKey& key : kLetterKeys) {
    if (key.id == id) {
      OnKey(LetterFor(key.letter, m_host.IsChecked(kShiftKey), m_host.IsChecked(kCapsKey)));
      return true;
    }
  }
  for (const CharKey& key : kCharKeys) {
    if (key.id == id) {
      OnKey(m_host.IsChecked(kShiftKey) ? key.shiftedCode : key.code);
      return true;
    }
  }
  switch (id) {
    case kShiftKey:
    case kCapsKey:
      OnShiftCaps();
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

char KeyboardModel::LetterFor(char upper, bool shift, bool caps) {
  return shift != caps ? upper : static_cast<char>(upper - 'A' + 'a');
}

// The button has already toggled itself.
void KeyboardModel::OnShiftCaps() {
  ShowState();
}

void KeyboardModel::OnKey(int code) {
  m_host.SetCheck(kShiftKey, false);  // for every code, accepted or not: SHIFT holds for one key
  m_host.SetFocus(kKeyboardTextDisplay);
  ShowState();
  if (EditText(code))
    ShowText();
}

bool KeyboardModel::EditText(int code) {
  const int kind = m_pFormat->m_nKind;
  const bool text = kind == TE_TEXT;
  const int radix = m_pFormat->m_nRadix;
  if ((code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z')) {
    const int digit = 10 + (code <= 'Z' ? code - 'A' : code - 'a');
    if (!text && digit >= radix)
      return false;
    Append(static_cast<char>(code));
  } else if ((code >= '0' && code <= '9') || code == '.') {
    if (!text && code != '.' && code - '0' >= radix)
      return false;
    Append(static_cast<char>(code));  // several points are not prevented
  } else if (code == kKeyBackspace) {
    const std::size_t length = std::strlen(m_szText);
    if (length > 0)
      m_szText[length - 1] = '\0';
  } else if (code == kKeyDelete) {
    // Nothing changes, but the text is shown again like any handled key.
  } else if (IsTextSymbol(code)) {
    if (!text)
      return false;
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
    return false;  // an ignored code leaves even the display alone
  }
  return true;
}

bool KeyboardModel::CanGrow() const {
  const std::size_t length = std::strlen(m_szText);
  return length < kKeyboardTextLimit && static_cast<long long>(length) < m_pFormat->m_nMaxLen;
}

void KeyboardModel::Append(char c) {
  if (!CanGrow())
    return;
  const std::size_t length = std::strlen(m_szText);
  m_szText[length] = c;
  m_szText[length + 1] = '\0';
}

// The value is written back even when the text did not change.
void KeyboardModel::OnEnter() {
  switch (m_pFormat->m_nKind) {
    case TE_TEXT:
      // Never more than the field's buffer holds.
      if (auto* buffer = reinterpret_cast<char*>(*m_pValue))
        StrCopyN(buffer, m_szText, std::min(kKeyboardTextLimit, kTouchTextBufferSize));
      break;
    case TE_BYTE:
      *m_pValue = static_cast<std::uint8_t>(m_szText[0]);
      break;
    default:
      ParseNumber(m_szText, *m_pFormat, *m_pValue);
      break;
  }
  m_host.EndDialog(kDialogOk);
}

void KeyboardModel::OnEsc() {
  m_host.EndDialog(kDialogCancel);
}

std::string KeyboardModel::StateText(bool caps, bool shift) {
  std::string state;
  if (caps)
    state = "CAPS";
  if (shift) {
    if (!state.empty())
      state += ' ';
    state += "SHIFT";
  }
  return state;
}

void KeyboardModel::ShowText() {
  m_host.SetText(kKeyboardTextDisplay, m_szText);
}

void KeyboardModel::ShowState() {
  m_host.SetText(kKeyboardStateDisplay,
                 StateText(m_host.IsChecked(kCapsKey), m_host.IsChecked(kShiftKey)));
}
