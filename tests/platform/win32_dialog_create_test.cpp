// The in-memory templates handed to the system's dialog manager: it must accept them and lay the
// controls out as the templates say. Each child, in creation order (the tab order), must have
// the template's id, class and rectangle in dialog units converted by the dialog manager itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog/win32_dialog_template.h"

namespace {

namespace w = platform::win32;

// Our constants are the system's.
static_assert(w::kWsPopup == WS_POPUP && w::kWsChild == WS_CHILD && w::kWsVisible == WS_VISIBLE);
static_assert(w::kWsCaption == WS_CAPTION && w::kWsBorder == WS_BORDER);
static_assert(w::kWsVScroll == WS_VSCROLL && w::kWsSysMenu == WS_SYSMENU);
static_assert(w::kWsGroup == WS_GROUP && w::kWsTabStop == WS_TABSTOP);
static_assert(w::kWsExClientEdge == WS_EX_CLIENTEDGE && w::kWsExRight == WS_EX_RIGHT);
static_assert(w::kWsExAppWindow == WS_EX_APPWINDOW);
static_assert(w::kDs3DLook == DS_3DLOOK && w::kDsFixedSys == DS_FIXEDSYS);
static_assert(w::kDsSetFont == DS_SETFONT && w::kDsModalFrame == DS_MODALFRAME);
static_assert(w::kDsCenter == DS_CENTER && w::kDsShellFont == DS_SHELLFONT);
static_assert(w::kBsPushButton == BS_PUSHBUTTON && w::kBsAutoCheckBox == BS_AUTOCHECKBOX);
static_assert(w::kBsLeft == BS_LEFT && w::kBsRight == BS_RIGHT && w::kBsCenter == BS_CENTER);
static_assert(w::kBsPushLike == BS_PUSHLIKE);
static_assert(w::kEsLeft == ES_LEFT && w::kEsCenter == ES_CENTER && w::kEsRight == ES_RIGHT);
static_assert(w::kEsAutoHScroll == ES_AUTOHSCROLL);
static_assert(w::kSsLeft == SS_LEFT && w::kSsCenter == SS_CENTER && w::kSsRight == SS_RIGHT);
static_assert(w::kSsBitmap == SS_BITMAP && w::kSsCenterImage == SS_CENTERIMAGE);
static_assert(w::kSsSunken == SS_SUNKEN);
static_assert(w::kLbsNotify == LBS_NOTIFY && w::kLbsSort == LBS_SORT);
static_assert(w::kLbsNoIntegralHeight == LBS_NOINTEGRALHEIGHT && w::kLbsNoSel == LBS_NOSEL);
static_assert(w::kDefaultCharset == DEFAULT_CHARSET);

INT_PTR CALLBACK KeepDefaults(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

const wchar_t* ExpectedClass(res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::kPushButton:
    case res::ControlKind::kPushLikeCheckBox:
      return L"Button";
    case res::ControlKind::kEdit:
      return L"Edit";
    case res::ControlKind::kListBox:
      return L"ListBox";
    default:
      return L"Static";
  }
}

// Under wine, windows need an X display (scripts/test-windows gives one); without it the test is
// skipped and says so.
bool CanCreateWindows() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!probe)
    return false;
  DestroyWindow(probe);
  return true;
}

#define SKIP_WITHOUT_DISPLAY()                                                          \
  if (!CanCreateWindows())                                                              \
  GTEST_SKIP() << "no display to create windows on (under wine: DISPLAY unset or no X " \
                  "server)"

class CreatedDialog {
 public:
  explicit CreatedDialog(const res::DialogTemplate& dialog)
      : m_bytes(w::BuildWin32DialogTemplate(dialog)) {
    m_window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                          reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()),
                                          nullptr, KeepDefaults, 0);
  }
  ~CreatedDialog() {
    if (m_window)
      DestroyWindow(m_window);
  }
  HWND Window() const { return m_window; }

 private:
  std::vector<std::uint32_t> m_bytes;
  HWND m_window = nullptr;
};

// Every child in creation order against the template, rectangles through MapDialogRect.
void ExpectControlsAsTemplate(HWND dialog, const res::DialogTemplate& tmpl) {
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const res::ControlTemplate& control : tmpl.controls) {
    SCOPED_TRACE("control " + std::to_string(control.id) + " \"" + control.caption + "\"");
    ASSERT_NE(child, nullptr) << "fewer children than the template has controls";
    EXPECT_EQ(GetDlgCtrlID(child), control.id);
    EXPECT_EQ(ClassOf(child), ExpectedClass(control.kind));
    // The dialog manager converts the position and the size each on its own, as MapDialogRect
    // does with x, y, cx, cy in place of the four edges.
    RECT expected = {control.x, control.y, control.width, control.height};
    ASSERT_TRUE(MapDialogRect(dialog, &expected));
    RECT actual;
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right - actual.left, expected.right);
    EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more children than the template has controls";
}

TEST(Win32DialogCreate, PanelControlsWhereTheTemplatePutsThem) {
  SKIP_WITHOUT_DISPLAY();
  CreatedDialog panel(res::kPanelTemplate);
  ASSERT_NE(panel.Window(), nullptr) << "error " << GetLastError();
  ExpectControlsAsTemplate(panel.Window(), res::kPanelTemplate);

  // The dialog's own size in its font's units: 6 x 13 base units for 8-point Tahoma at 96 dpi,
  // which makes the panel 635 x 478 pixels as on a Windows station.
  RECT client;
  GetClientRect(panel.Window(), &client);
  RECT size = {0, 0, res::kPanelTemplate.width, res::kPanelTemplate.height};
  MapDialogRect(panel.Window(), &size);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  EXPECT_EQ(size.right, 635) << "the dialog font is not Tahoma's metrics (wine's fonts missing?)";
  EXPECT_EQ(size.bottom, 478);

  const LONG style = GetWindowLongW(panel.Window(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_NE(GetWindowLongW(panel.Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  // The edit keeps its right alignment in both its style and its extended style.
  HWND edit = GetDlgItem(panel.Window(), 1003);
  EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_RIGHT, 0);
  EXPECT_NE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_RIGHT, 0);
  // The banner is loaded by its resource number from this program's resources.
  HWND picture = GetWindow(panel.Window(), GW_CHILD);  // the seventh control
  for (int i = 0; i < 6; ++i)
    picture = GetWindow(picture, GW_HWNDNEXT);
  EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  wchar_t caption[64] = {};
  GetWindowTextW(GetDlgItem(panel.Window(), 1005), caption, 64);
  EXPECT_STREQ(caption, L"Codice di controllo astuccio :");
}

TEST(Win32DialogCreate, KeyboardControlsAndCaptionsAsTheTemplate) {
  SKIP_WITHOUT_DISPLAY();
  CreatedDialog keyboard(res::kKeyboardTemplate);
  ASSERT_NE(keyboard.Window(), nullptr) << "error " << GetLastError();
  ExpectControlsAsTemplate(keyboard.Window(), res::kKeyboardTemplate);
  EXPECT_FALSE(IsWindowVisible(keyboard.Window()));  // shown by its owner when it runs
  wchar_t caption[16] = {};
  GetWindowTextW(GetDlgItem(keyboard.Window(), 1034), caption, 16);
  EXPECT_STREQ(caption, L"3 (\u00A3)");
  EXPECT_EQ(SendDlgItemMessageW(keyboard.Window(), 1043, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_NE(GetWindowLongW(GetDlgItem(keyboard.Window(), 1043), GWL_STYLE) & BS_PUSHLIKE, 0);
}

}  // namespace
