// A dialog template as the Windows dialog manager reads it: res::DialogTemplate laid out as an
// in-memory DLGTEMPLATEEX, ready for CreateDialogIndirectParamW / DialogBoxIndirectParamW. The
// dialog manager then converts the dialog units with the template's font, centres the dialog and
// gives the controls their tab order, exactly as for a template compiled into the executable.
//
// The bytes are built here without the system's headers, so that the layout is checked byte for
// byte on every system; the Windows build checks the style constants below against <windows.h>.
//
// Layout (all little-endian, WORD = 2 bytes, DWORD = 4 bytes):
//   header  dlgVer 1, signature 0xFFFF, helpID, exStyle, style, cDlgItems, x, y, cx, cy,
//           menu 0, class 0, title (UTF-16, NUL), then with DS_SETFONT: point size, weight,
//           italic, charset, typeface (UTF-16, NUL)
//   items   each starts on a DWORD boundary: helpID, exStyle, style, x, y, cx, cy, id (DWORD),
//           class 0xFFFF + atom, title (UTF-16, NUL; 0xFFFF + resource number for a picture),
//           extra count 0
//
// Captions are Windows-1252 bytes and become UTF-16 through the Windows-1252 table itself, never
// through the system's code page, so that a station set to another code page shows the same text.
//
//   Win32DialogStyles(dialog)   the dialog's style and extended style
//   Win32ControlStyles(control) a control's style, extended style and class atom
//   BuildWin32DialogTemplate    the whole template, as 32-bit aligned storage
#pragma once

#include <cstdint>
#include <vector>

#include "res/dialog_template.h"

namespace platform::win32 {

// The system's values, named as <windows.h> names them.
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsVScroll = 0x00200000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsGroup = 0x00020000;
inline constexpr std::uint32_t kWsTabStop = 0x00010000;
inline constexpr std::uint32_t kWsExClientEdge = 0x00000200;
inline constexpr std::uint32_t kWsExRight = 0x00001000;
inline constexpr std::uint32_t kWsExAppWindow = 0x00040000;
inline constexpr std::uint32_t kDs3DLook = 0x0004;
inline constexpr std::uint32_t kDsFixedSys = 0x0008;
inline constexpr std::uint32_t kDsSetFont = 0x0040;
inline constexpr std::uint32_t kDsModalFrame = 0x0080;
inline constexpr std::uint32_t kDsCenter = 0x0800;
inline constexpr std::uint32_t kDsShellFont = kDsSetFont | kDsFixedSys;
inline constexpr std::uint32_t kBsPushButton = 0x0000;
inline constexpr std::uint32_t kBsAutoCheckBox = 0x0003;
inline constexpr std::uint32_t kBsLeft = 0x0100;
inline constexpr std::uint32_t kBsRight = 0x0200;
inline constexpr std::uint32_t kBsCenter = 0x0300;
inline constexpr std::uint32_t kBsPushLike = 0x1000;
inline constexpr std::uint32_t kEsLeft = 0x0000;
inline constexpr std::uint32_t kEsCenter = 0x0001;
inline constexpr std::uint32_t kEsRight = 0x0002;
inline constexpr std::uint32_t kEsAutoHScroll = 0x0080;
inline constexpr std::uint32_t kSsLeft = 0x0000;
inline constexpr std::uint32_t kSsCenter = 0x0001;
inline constexpr std::uint32_t kSsRight = 0x0002;
inline constexpr std::uint32_t kSsBitmap = 0x000E;
inline constexpr std::uint32_t kSsCenterImage = 0x0200;
inline constexpr std::uint32_t kSsSunken = 0x1000;
inline constexpr std::uint32_t kLbsNotify = 0x0001;
inline constexpr std::uint32_t kLbsSort = 0x0002;
inline constexpr std::uint32_t kLbsNoIntegralHeight = 0x0100;
inline constexpr std::uint32_t kLbsNoSel = 0x4000;
inline constexpr std::uint8_t kDefaultCharset = 1;

// The predefined control classes, as atoms in a template.
inline constexpr std::uint16_t kButtonAtom = 0x0080;
inline constexpr std::uint16_t kEditAtom = 0x0081;
inline constexpr std::uint16_t kStaticAtom = 0x0082;
inline constexpr std::uint16_t kListBoxAtom = 0x0083;

struct Win32Styles {
  std::uint32_t style;
  std::uint32_t exStyle;
};

struct Win32ControlStyle {
  std::uint32_t style;
  std::uint32_t exStyle;
  std::uint16_t classAtom;
};

Win32Styles Win32DialogStyles(const res::DialogTemplate& dialog);
Win32ControlStyle Win32ControlStyles(const res::ControlTemplate& control);

// DWORDs, so that the template starts on the boundary the dialog manager requires.
std::vector<std::uint32_t> BuildWin32DialogTemplate(const res::DialogTemplate& dialog);

}  // namespace platform::win32
