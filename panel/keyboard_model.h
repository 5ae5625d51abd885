// KeyboardModel: the on-screen keyboard's rules (dialog 129), whatever toolkit builds its
// controls. A dialog layer's CKeyboardDlg owns one, gives it a KeyboardHost (its controls by id)
// and routes its messages to it:
//
//   a key button clicked (any id)       OnButton(id)   letters, characters, BACK, INV, space,
//                                                       SHIFT/CAPS, ENTER, ESC by the key tables
//   a physical character (WM_CHAR)      OnKey(code)    the Windows-1252 code, 0-255
//   Return / Escape key-down            OnEnter() / OnEsc()
//   dialog initialised                  OnInitDialog()
//
// SHIFT and CAPS are the checked states of their two push-like check boxes, read from the host
// whenever needed: the model keeps no flag of its own. OnKey turns SHIFT off first, for every
// code (SHIFT holds for one key), puts the focus on the text display, shows the state, then edits
// the text: it grows only while shorter than 80 and than m_nMaxLen. ENTER stores the text into the
// value and ends with kDialogOk; ESC ends with kDialogCancel and leaves the value alone.
//
//   EditText(code)          the text rule alone: false for an ignored code (display left alone)
//   LetterFor(upper, ...)   a letter key's character: upper case when exactly one of SHIFT, CAPS
//   StateText(caps, shift)  the state display: "", "CAPS", "SHIFT" or "CAPS SHIFT"
#pragma once

#include <cstddef>
#include <string>

#include "panel/touch_format.h"

// Controls of template 129 that the rules reach.
inline constexpr int kKeyboardTextDisplay = 1048;
inline constexpr int kKeyboardStateDisplay = 1051;
inline constexpr int kShiftKey = 1043;
inline constexpr int kCapsKey = 1041;
inline constexpr int kEnterKey = 1046;
inline constexpr int kEscKey = 1047;

// The results of a modal run, as the dialog manager numbers them (IDOK, IDCANCEL).
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

inline constexpr int KEY_INV = 511;  // the sign toggle, outside the character codes
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyDelete = 0x7F;
inline constexpr std::size_t kKeyboardTextLimit = 80;  // characters of the edited text

struct LetterKey {
  int id;
  char letter;  // the caption, upper case
};

inline constexpr LetterKey kLetterKeys[] = {
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

inline constexpr CharKey kCharKeys[] = {
    {1032, '1', '!'},         {1033, '2', '"'},
    {1034, '3', 0xA3},  // the pound sign in Windows-1252
    {1035, '4', '$'},         {1036, '5', '%'},
    {1037, '6', '&'},         {1038, '7', '/'},
    {1039, '8', '('},         {1040, '9', ')'},
    {1031, '0', '='},         {1042, '\'', '?'},
    {1050, KEY_INV, KEY_INV}, {1045, '+', '*'},
    {1029, ',', ';'},         {1030, '.', ':'},
    {1044, '-', '_'},         {1049, kKeyBackspace, kKeyBackspace},
    {1021, ' ', ' '},  // the space bar
};

// What the rules need of the dialog that shows them. Texts are Windows-1252 bytes.
class KeyboardHost {
 public:
  virtual ~KeyboardHost() = default;
  virtual bool IsChecked(int id) = 0;  // SHIFT or CAPS
  virtual void SetCheck(int id, bool checked) = 0;
  virtual void SetFocus(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual void EndDialog(int result) = 0;
};

class KeyboardModel {
 public:
  // Edits *value as described by *format; both stay the caller's.
  KeyboardModel(KeyboardHost& host, TouchValue* value, const TouchFormat* format);

  void OnInitDialog();
  // False when `id` is no key of the keyboard.
  bool OnButton(int id);
  void OnKey(int code);
  void OnShiftCaps();
  void OnEnter();
  void OnEsc();

  bool EditText(int code);
  const char* Text() const { return m_szText; }

  static char LetterFor(char upper, bool shift, bool caps);
  static std::string StateText(bool caps, bool shift);

 private:
  bool CanGrow() const;
  void Append(char c);
  void ShowText();
  void ShowState();

  KeyboardHost& m_host;
  char m_szText[kKeyboardTextLimit + 1] = {};
  TouchValue* m_pValue;
  const TouchFormat* m_pFormat;
};
