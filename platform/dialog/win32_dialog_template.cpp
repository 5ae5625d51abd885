#include "platform/dialog/win32_dialog_template.h"

#include <string_view>

#include "platform/text/cp1252.h"

namespace platform::win32 {

namespace {

using res::ControlKind;
using res::ControlTemplate;

// Little-endian bytes, padded to whole DWORDs at the end.
class TemplateWriter {
 public:
  void Word(std::uint16_t value) {
    m_bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
  void Dword(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Byte(std::uint8_t value) { m_bytes.push_back(value); }
  // Windows-1252 through its own table: characters beyond U+FFFF do not occur in it.
  void Text(std::string_view cp1252) {
    for (const char byte : cp1252)
      Word(static_cast<std::uint16_t>(Cp1252ToUnicode(static_cast<std::uint8_t>(byte))));
    Word(0);
  }
  void AlignToDword() {
    while (m_bytes.size() % 4 != 0)
      m_bytes.push_back(0);
  }
  std::vector<std::uint32_t> Dwords() {
    AlignToDword();
    std::vector<std::uint32_t> words(m_bytes.size() / 4);
    for (std::size_t i = 0; i < words.size(); ++i) {
      words[i] = static_cast<std::uint32_t>(m_bytes[4 * i]) |
                 static_cast<std::uint32_t>(m_bytes[4 * i + 1]) << 8 |
                 static_cast<std::uint32_t>(m_bytes[4 * i + 2]) << 16 |
                 static_cast<std::uint32_t>(m_bytes[4 * i + 3]) << 24;
    }
    return words;
  }

 private:
  std::vector<std::uint8_t> m_bytes;
};

std::uint32_t Alignment(unsigned style, std::uint32_t left, std::uint32_t center,
                        std::uint32_t right, std::uint32_t kindDefault) {
  if (style & res::kStyleAlignRight)
    return right;
  if (style & res::kStyleAlignCenter)
    return center;
  if (style & res::kStyleAlignLeft)
    return left;
  return kindDefault;
}

std::uint32_t KindStyle(const ControlTemplate& control) {
  const unsigned style = control.style;
  switch (control.kind) {
    case ControlKind::kPushButton:
      return kBsPushButton | Alignment(style, kBsLeft, kBsCenter, kBsRight, 0);
    case ControlKind::kPushLikeCheckBox:
      return kBsAutoCheckBox | kBsPushLike | Alignment(style, kBsLeft, kBsCenter, kBsRight, 0);
    case ControlKind::kStaticText:
      return Alignment(style, kSsLeft, kSsCenter, kSsRight, kSsLeft) |
             (style & res::kStyleSunken ? kSsSunken : 0);
    case ControlKind::kEdit:
      return Alignment(style, kEsLeft, kEsCenter, kEsRight, kEsLeft) |
             (style & res::kStyleAutoHScroll ? kEsAutoHScroll : 0);
    case ControlKind::kPicture:
      return kSsBitmap | (style & res::kStyleCenterImage ? kSsCenterImage : 0) |
             (style & res::kStyleSunken ? kSsSunken : 0);
    case ControlKind::kListBox:
      return (style & res::kStyleNotify ? kLbsNotify : 0) |
             (style & res::kStyleSort ? kLbsSort : 0) |
             (style & res::kStyleNoIntegralHeight ? kLbsNoIntegralHeight : 0) |
             (style & res::kStyleNoSelection ? kLbsNoSel : 0);
  }
  return 0;
}

std::uint16_t ClassAtom(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton:
    case ControlKind::kPushLikeCheckBox:
      return kButtonAtom;
    case ControlKind::kEdit:
      return kEditAtom;
    case ControlKind::kListBox:
      return kListBoxAtom;
    case ControlKind::kStaticText:
    case ControlKind::kPicture:
      return kStaticAtom;
  }
  return kStaticAtom;
}

// Statics and pictures draw their own sunken edge; every other kind takes the client edge.
bool SunkenByExStyle(ControlKind kind) {
  return kind != ControlKind::kStaticText && kind != ControlKind::kPicture;
}

}  // namespace

Win32Styles Win32DialogStyles(const res::DialogTemplate& dialog) {
  const unsigned flags = dialog.style;
  std::uint32_t style = kDsSetFont;
  if (flags & res::kDialogPopup)
    style |= kWsPopup;
  if (flags & res::kDialogVisible)
    style |= kWsVisible;
  if (!(flags & res::kDialogNoTitleBar))
    style |= kWsCaption | kWsSysMenu;
  if (flags & res::kDialogModalFrame)
    style |= kDsModalFrame;
  if (flags & res::kDialog3DLook)
    style |= kDs3DLook;
  if (flags & res::kDialogCentered)
    style |= kDsCenter;
  if (flags & res::kDialogShellFont)
    style |= kDsShellFont;
  const std::uint32_t exStyle = flags & res::kDialogAppWindow ? kWsExAppWindow : 0;
  return {style, exStyle};
}

Win32ControlStyle Win32ControlStyles(const ControlTemplate& control) {
  const unsigned flags = control.style;
  std::uint32_t style = kWsChild | kWsVisible | KindStyle(control);
  if (flags & res::kStyleTabStop)
    style |= kWsTabStop;
  if (flags & res::kStyleGroup)
    style |= kWsGroup;
  if (flags & res::kStyleBorder)
    style |= kWsBorder;
  if (flags & res::kStyleVScroll)
    style |= kWsVScroll;
  std::uint32_t exStyle = 0;
  if (flags & res::kStyleExRightAlign)
    exStyle |= kWsExRight;
  if ((flags & res::kStyleSunken) && SunkenByExStyle(control.kind))
    exStyle |= kWsExClientEdge;
  return {style, exStyle, ClassAtom(control.kind)};
}

std::vector<std::uint32_t> BuildWin32DialogTemplate(const res::DialogTemplate& dialog) {
  TemplateWriter out;
  const Win32Styles dialogStyles = Win32DialogStyles(dialog);
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: the extended template
  out.Dword(0);      // helpID
  out.Dword(dialogStyles.exStyle);
  out.Dword(dialogStyles.style);
  out.Word(static_cast<std::uint16_t>(dialog.controls.size()));
  out.Short(0);  // x, y: DS_CENTER places the dialog
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog manager's own class
  out.Text(dialog.title);
  out.Word(static_cast<std::uint16_t>(dialog.pointSize));
  out.Word(static_cast<std::uint16_t>(dialog.weight));
  out.Byte(0);  // italic
  out.Byte(kDefaultCharset);
  out.Text(dialog.fontFace);

  for (const ControlTemplate& control : dialog.controls) {
    out.AlignToDword();
    const Win32ControlStyle styles = Win32ControlStyles(control);
    out.Dword(0);  // helpID
    out.Dword(styles.exStyle);
    out.Dword(styles.style);
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.width);
    out.Short(control.height);
    out.Dword(static_cast<std::uint32_t>(control.id));  // -1 (no id) as 0xFFFFFFFF
    out.Word(0xFFFF);
    out.Word(styles.classAtom);
    if (control.kind == ControlKind::kPicture) {
      out.Word(0xFFFF);  // the bitmap by resource number, loaded by the static control
      out.Word(static_cast<std::uint16_t>(control.bitmapId));
    } else {
      out.Text(control.caption);
    }
    out.Word(0);  // no creation data
  }
  return out.Dwords();
}

}  // namespace platform::win32
