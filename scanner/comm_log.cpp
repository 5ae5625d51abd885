#include "scanner/comm_log.h"

#include <cstdio>

const std::array<const char*, 128> kByteNames = {
    "<NUL>", "<SOH>", "<STX>",   "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>", "<BS>",  "<TAB>",
    "<LF>",  "<VT>",  "<FF>",    "<CR>",  "<SO>",  "<SI>",  "<DLE>", "<DC1>", "<DC2>", "<DC3>",
    "<DC4>", "<NAK>", "<SYN>",   "<ETB>", "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",
    "<RS>",  "<US>",  "<SPACE>", "!",     "\"",    "#",     "$",     "%",     "&",     "'",
    "(",     ")",     "*",       "+",     ",",     "-",     ".",     "/",     "0",     "1",
    "2",     "3",     "4",       "5",     "6",     "7",     "8",     "9",     ":",     ";",
    "<",     "=",     ">",       "?",     "@",     "A",     "B",     "C",     "D",     "E",
    "F",     "G",     "H",       "I",     "J",     "K",     "L",     "M",     "N",     "O",
    "P",     "Q",     "R",       "S",     "T",     "U",     "V",     "W",     "X",     "Y",
    "Z",     "[",     "\\",      "]",     "^",     "_",     "`",     "a",     "b",     "c",
    "d",     "e",     "f",       "g",     "h",     "i",     "j",     "k",     "l",     "m",
    "n",     "o",     "p",       "q",     "r",     "s",     "t",     "u",     "v",     "w",
    "x",     "y",     "z",       "{",     "|",     "}",     "~",     "<DEL>",
};

namespace {

// Bytes above 127 that have no visible Windows-1252 character: the five unassigned codes, the
// no-break space and the soft hyphen. Shown by value so that nothing on the wire goes unseen.
bool IsInvisibleHighByte(std::uint8_t byte) {
  switch (byte) {
    case 0x81:
    case 0x8D:
    case 0x8F:
    case 0x90:
    case 0x9D:
    case 0xA0:
    case 0xAD:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string RenderBytes(const std::uint8_t* bytes) {
  std::string text;
  for (const std::uint8_t* p = bytes; *p != 0; ++p) {
    if (*p < 128) {
      text += kByteNames[*p];
    } else if (IsInvisibleHighByte(*p)) {
      char name[5];
      std::snprintf(name, sizeof name, "<%02X>", static_cast<unsigned>(*p));
      text += name;
    } else {
      text += static_cast<char>(*p);
    }
  }
  return text;
}
