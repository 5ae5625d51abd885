// Dialog templates: the controls of each dialog as constant data, the way the resource script
// declares them. A dialog's size and every control's rectangle are in dialog units, converted to
// pixels with the dialog font's base units when the dialog is built
// (platform/dialog/dialog_builder.h). Captions are Windows-1252 bytes exactly as stored: "&&"
// stands for one '&' on screen.
//
//   DialogTemplate / ControlTemplate   the data, no toolkit types
//   FindDialogTemplate(id)             a template by its resource number, nullptr if unknown
//   FindControl(dialog, id)            a control of a template by its id, nullptr if absent
#pragma once

#include <span>

namespace res {

enum class ControlKind {
  kPushButton,
  kPushLikeCheckBox,  // an automatic check box drawn as a button: each touch toggles it
  kStaticText,
  kEdit,  // single line
  kPicture,
  kListBox,
};

// Control style flags; a control's look and behaviour beyond its kind.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStyleTabStop = 1u << 0,
  kStyleGroup = 1u << 1,
  kStyleBorder = 1u << 2,     // a plain one-pixel frame
  kStyleAlignLeft = 1u << 3,  // text kinds; without an alignment the kind's own default
  kStyleAlignCenter = 1u << 4,
  kStyleAlignRight = 1u << 5,
  kStyleSunken = 1u << 6,             // three-dimensional sunken edge
  kStyleAutoHScroll = 1u << 7,        // edit: scrolls as the text grows
  kStyleVScroll = 1u << 8,            // vertical scroll bar
  kStyleNoSelection = 1u << 9,        // list box: items cannot be selected
  kStyleNoIntegralHeight = 1u << 10,  // list box: height not cut to whole lines
  kStyleNotify = 1u << 11,            // list box: tells its parent about clicks
  kStyleSort = 1u << 12,              // list box: sorted-list style
  kStyleCenterImage = 1u << 13,       // picture: natural size, centred in the control
  kStyleExRightAlign = 1u << 14,      // extended style: right-aligned too, besides kStyleAlignRight
};

// Dialog style flags.
enum DialogStyle : unsigned {
  kDialogNone = 0,
  kDialogPopup = 1u << 0,
  kDialogVisible = 1u << 1,
  kDialogNoTitleBar = 1u << 2,  // no caption, so no system menu or window buttons
  kDialogModalFrame = 1u << 3,
  kDialog3DLook = 1u << 4,
  kDialogCentered = 1u << 5,
  kDialogShellFont = 1u << 6,
  kDialogAppWindow = 1u << 7,  // shown on the task bar
};

struct ControlTemplate {
  int id;  // -1: none
  ControlKind kind;
  const char* caption;      // Windows-1252, as stored
  unsigned style;           // ControlStyle flags
  int x, y, width, height;  // dialog units
  int bitmapId = 0;         // kPicture: the bitmap resource shown
};

struct DialogTemplate {
  int id;
  int width, height;  // dialog units
  const char* fontFace;
  int pointSize;
  int weight;      // 400 normal, 700 bold
  unsigned style;  // DialogStyle flags
  const char* title;
  std::span<const ControlTemplate> controls;  // template order, which is also the tab order
};

// The on-screen keyboard.
extern const DialogTemplate kKeyboardTemplate;
inline constexpr int kKeyboardTemplateId = 129;

// The main panel.
extern const DialogTemplate kPanelTemplate;
inline constexpr int kPanelTemplateId = 102;

inline const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate* dialog : {&kKeyboardTemplate, &kPanelTemplate}) {
    if (dialog->id == id)
      return dialog;
  }
  return nullptr;
}

inline const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == id)
      return &control;
  }
  return nullptr;
}

}  // namespace res
