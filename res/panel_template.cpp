// Dialog 102, the main panel: the banner, the carton and the leaflet code fields each with its
// "send" button, the communication log, and the exit and shut-down buttons at the foot.
#include "res/dialog_template.h"

namespace res {

namespace {

constexpr int kBannerBitmapId = 135;
constexpr ControlKind kButton = ControlKind::kPushButton;
constexpr ControlKind kLabel = ControlKind::kStaticText;
// The code fields grow leftwards from the right edge, like a number being keyed in.
constexpr unsigned kCodeField =
    kStyleBorder | kStyleTabStop | kStyleAutoHScroll | kStyleAlignRight | kStyleExRightAlign;
constexpr unsigned kCaption = kStyleAlignRight | kStyleGroup;

constexpr ControlTemplate kPanelControls[] = {
    {1000, kButton, "Invia a scanner", kStyleTabStop, 309, 91, 105, 22},
    {1003, ControlKind::kEdit, "", kCodeField, 7, 93, 294, 18},
    {1001, kButton, "Invia a scanner", kStyleTabStop, 309, 145, 105, 22},
    {1004, ControlKind::kEdit, "", kCodeField, 7, 147, 294, 18},
    {1005, kLabel, "Codice di controllo astuccio :", kCaption, 7, 79, 294, 11},
    {1006, kLabel, "Codice di controllo letteratura :", kCaption, 7, 133, 294, 11},
    {-1, ControlKind::kPicture, "", kStyleCenterImage | kStyleSunken, 7, 7, 409, 58,
     kBannerBitmapId},
    {1007, ControlKind::kListBox, "",
     kStyleBorder | kStyleVScroll | kStyleTabStop | kStyleNoSelection | kStyleNoIntegralHeight |
         kStyleNotify | kStyleSort,
     7, 189, 409, 82},
    {1008, kLabel, "Static", kCaption, 315, 69, 100, 8},  // the caption is replaced at start
    {1009, kLabel, "www.codepanel.example", kStyleAlignLeft | kStyleGroup, 7, 68, 157, 8},
    {1010, kButton, "Esci", kStyleTabStop, 308, 274, 50, 13},
    {1011, kButton, "Spegni", kStyleTabStop, 366, 274, 50, 13},
};

}  // namespace

const DialogTemplate kPanelTemplate = {
    kPanelTemplateId,
    423,
    294,
    "MS Shell Dlg",
    8,
    400,
    kDialogPopup | kDialogVisible | kDialogNoTitleBar | kDialogModalFrame | kDialog3DLook |
        kDialogCentered | kDialogShellFont | kDialogAppWindow,
    "",
    kPanelControls,
};

}  // namespace res
