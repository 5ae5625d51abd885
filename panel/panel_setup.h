// The panel's and the keyboard's set-up values, as data for whichever dialog layer builds
// templates 102 and 129: fonts, text colours, the revision text, the code fields' format, the
// minimised panel's icon. A layer turns them into its own objects (a copy of the dialog font's
// LOGFONT or a QFont, an answer to WM_CTLCOLOR* or a palette) and holds no value of its own.
//
//   kLabelFont, kCodeFont    face, cell height, weight and the controls each is set on, in order
//   PanelTextColour(id)      the text colour of a panel control; none: the default colours
//   SetUpCodeField(field)    the panel's set-up of one code field for text entry
//   MinimisedIconOrigin(..)  where the minimised panel draws its icon in its client area
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "panel/touch_field.h"
#include "scanner/download_host.h"

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Controls of template 102 that the set-up names (the six a download disables are ControlId).
inline constexpr int kCartonLabel = 1005;
inline constexpr int kLeafletLabel = 1006;
inline constexpr int kLogList = 1007;
inline constexpr int kRevisionLabel = 1008;
inline constexpr int kPanelIcon = 128;  // icon resource, large and small window icon

inline constexpr char kRevisionText[] = "rev. 1,0,0,3";

// A font made from a copy of the dialog's own font: every attribute not named here is the
// dialog font's. Heights are character cell heights in pixels (a positive LOGFONT height).
enum class PanelFontRole { Label, Code };
inline constexpr int kDialogFontWeight = 0;  // keep the dialog font's weight

struct PanelFont {
  PanelFontRole role;  // m_pLabelFont or m_pCodeFont
  const char* face;
  int height;
  int weight;                     // kDialogFontWeight, or a LOGFONT weight (700 bold)
  std::span<const int> controls;  // set on each, in this order
};

inline constexpr char kPanelFontFace[] = "Tahoma";
inline constexpr int kLabelFontControls[] = {kCartonLabel, kLeafletLabel};
inline constexpr int kCodeFontControls[] = {
    static_cast<int>(ControlId::CartonCode), static_cast<int>(ControlId::SendCarton),
    static_cast<int>(ControlId::LeafletCode), static_cast<int>(ControlId::SendLeaflet)};
inline constexpr PanelFont kLabelFont{PanelFontRole::Label, kPanelFontFace, 18, kDialogFontWeight,
                                      kLabelFontControls};
inline constexpr PanelFont kCodeFont{PanelFontRole::Code, kPanelFontFace, 20, 700,
                                     kCodeFontControls};

// Text colours by control; backgrounds and brushes stay the default ones, and a disabled control
// keeps the system's grey text.
inline constexpr Rgb kFieldTextColour{200, 0, 0};
inline constexpr Rgb kLabelTextColour{0, 0, 200};

struct ControlColour {
  int id;
  Rgb text;
};

inline constexpr ControlColour kPanelTextColours[] = {
    {static_cast<int>(ControlId::CartonCode), kFieldTextColour},
    {static_cast<int>(ControlId::LeafletCode), kFieldTextColour},
    {kCartonLabel, kLabelTextColour},
    {kLeafletLabel, kLabelTextColour},
    {kLogList, kLabelTextColour},
};

std::optional<Rgb> PanelTextColour(int id);

// The code fields: the longest code a download takes, and the fill numbers would use (never seen
// in text).
inline constexpr int kCodeMaxLen = 31;
inline constexpr char kCodeFill = '?';

// m_bKeyboard on, m_nMaxLen 31, fill '?'; a field with no value yet gets a new 41-byte text
// buffer and becomes TE_TEXT. A field that already has a value keeps it and its kind.
void SetUpCodeField(TouchField& field);

// The icon's top left corner, centred with the original's rounding: (client - icon + 1) / 2,
// truncated toward zero.
struct IconOrigin {
  int x;
  int y;
  friend bool operator==(const IconOrigin&, const IconOrigin&) = default;
};
IconOrigin MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The keyboard's text display stands on a white strip; its other controls keep the default
// colours.
inline constexpr Rgb kKeyboardTextBackground{255, 255, 255};
