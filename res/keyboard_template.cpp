// Dialog 129, the on-screen keyboard: a white text strip across the top, four rows of keys, and
// the SHIFT/CAPS state display in the bottom left corner.
#include "res/dialog_template.h"

namespace res {

namespace {

constexpr ControlKind kButton = ControlKind::kPushButton;
constexpr unsigned kKey = kStyleTabStop;

// "\xA3" is the pound sign in Windows-1252.
constexpr ControlTemplate kKeyboardControls[] = {
    {1048, ControlKind::kStaticText, "", kStyleAlignRight, 14, 7, 348, 11},
    {1051, ControlKind::kStaticText, "", kStyleAlignCenter | kStyleBorder, 10, 114, 45, 11},
    {1043, ControlKind::kPushLikeCheckBox, "SHIFT", kKey, 7, 88, 40, 17},
    {1041, ControlKind::kPushLikeCheckBox, "CAPS", kKey, 7, 66, 30, 17},
    // Letters, top row.
    {1002, kButton, "Q", kKey, 17, 44, 28, 17},
    {1003, kButton, "W", kKey, 49, 44, 28, 17},
    {1004, kButton, "E", kKey, 81, 44, 28, 17},
    {1005, kButton, "R", kKey, 113, 44, 28, 17},
    {1006, kButton, "T", kKey, 145, 44, 28, 17},
    {1007, kButton, "Y", kKey, 177, 44, 28, 17},
    {1008, kButton, "U", kKey, 209, 44, 28, 17},
    {1009, kButton, "I", kKey, 241, 44, 28, 17},
    {1010, kButton, "O", kKey, 273, 44, 28, 17},
    {1011, kButton, "P", kKey, 305, 44, 28, 17},
    // Letters, middle row.
    {1012, kButton, "A", kKey, 40, 66, 28, 17},
    {1013, kButton, "S", kKey, 72, 66, 28, 17},
    {1014, kButton, "D", kKey, 104, 66, 28, 17},
    {1015, kButton, "F", kKey, 136, 66, 28, 17},
    {1016, kButton, "G", kKey, 168, 66, 28, 17},
    {1017, kButton, "H", kKey, 200, 66, 28, 17},
    {1018, kButton, "J", kKey, 232, 66, 28, 17},
    {1019, kButton, "K", kKey, 264, 66, 28, 17},
    {1020, kButton, "L", kKey, 296, 66, 28, 17},
    // Letters, bottom row.
    {1022, kButton, "Z", kKey, 49, 88, 28, 17},
    {1023, kButton, "X", kKey, 81, 88, 28, 17},
    {1024, kButton, "C", kKey, 113, 88, 28, 17},
    {1025, kButton, "V", kKey, 145, 88, 28, 17},
    {1026, kButton, "B", kKey, 177, 88, 28, 17},
    {1027, kButton, "N", kKey, 209, 88, 28, 17},
    {1028, kButton, "M", kKey, 241, 88, 28, 17},
    // Digits and symbols.
    {1032, kButton, "1 (!)", kKey, 12, 23, 28, 17},
    {1033, kButton, "2 (\")", kKey, 44, 23, 28, 17},
    {1034, kButton, "3 (\xA3)", kKey, 76, 23, 28, 17},
    {1035, kButton, "4 ($)", kKey, 108, 23, 28, 17},
    {1036, kButton, "5 (%)", kKey, 140, 23, 28, 17},
    {1037, kButton, "6 (&&)", kKey, 172, 23, 28, 17},
    {1038, kButton, "7 (/)", kKey, 204, 23, 28, 17},
    {1039, kButton, "8 (()", kKey, 236, 23, 28, 17},
    {1040, kButton, "9 ())", kKey, 268, 23, 28, 17},
    {1031, kButton, "0 (=)", kKey, 300, 23, 28, 17},
    {1042, kButton, "' (?)", kKey, 332, 23, 28, 17},
    {1050, kButton, "INV", kKey, 336, 44, 28, 17},
    {1045, kButton, "+ ( * )", kKey, 328, 66, 28, 17},
    {1029, kButton, ", ( ; )", kKey, 273, 88, 28, 17},
    {1030, kButton, ". ( : )", kKey, 305, 88, 28, 17},
    {1044, kButton, "- ( _ )", kKey, 336, 88, 28, 17},
    {1049, kButton, "BACK", kKey, 60, 110, 40, 17},
    {1021, kButton, "", kKey, 105, 110, 173, 17},  // the space bar
    {1047, kButton, "ESC", kKey, 281, 110, 40, 17},
    {1046, kButton, "ENTER", kKey, 324, 110, 40, 17},
};

}  // namespace

const DialogTemplate kKeyboardTemplate = {
    kKeyboardTemplateId,
    371,
    134,
    "MS Shell Dlg",
    9,
    400,
    kDialogPopup | kDialogNoTitleBar | kDialogModalFrame | kDialogCentered,
    "",
    kKeyboardControls,
};

}  // namespace res
