#include "panel/win32/panel_dlg.h"

#include <cstdio>

#include "app/shutdown.h"
#include "platform/process/process_control.h"
#include "res/string_table.h"
// After the headers above: <windows.h> defines EWX_SHUTDOWN and EWX_FORCE as macros.
#include "panel/win32/message_box.h"
#include "panel/win32/win32_text.h"

namespace panel::win32 {

namespace {

constexpr int kCartonLabel = 1005;
constexpr int kLeafletLabel = 1006;
constexpr int kLog = 1007;
constexpr int kRevision = 1008;
constexpr int kPanelIcon = 128;

constexpr char kRevisionText[] = "rev. 1,0,0,3";
constexpr wchar_t kPanelFace[] = L"Tahoma";
constexpr int kLabelCellHeight = 18;
constexpr int kCodeCellHeight = 20;
constexpr int kCodeWeight = 700;

// Longest code a download accepts, and the fill the fields use for numbers (never in text).
constexpr int kCodeMaxLen = 31;
constexpr char kCodeFill = '?';

constexpr COLORREF kFieldTextColour = RGB(200, 0, 0);
constexpr COLORREF kLabelTextColour = RGB(0, 0, 200);

int Id(ControlId control) {
  return static_cast<int>(control);
}

// A copy of the dialog font with Tahoma's face, a cell height in pixels at 96 dpi (a positive
// height asks for the cell, as the original's fonts did), scaled to the screen's resolution as the
// dialog manager scales the dialog font, and a weight.
HFONT DialogFontCopy(HWND dialog, int cellHeight, LONG weight) {
  LOGFONTW font{};
  auto* dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (!dialogFont || !GetObjectW(dialogFont, sizeof font, &font))
    return nullptr;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  font.lfHeight = MulDiv(cellHeight, dpi, 96);
  font.lfWidth = 0;
  font.lfWeight = weight;
  lstrcpynW(font.lfFaceName, kPanelFace, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

}  // namespace

CPanelDlg::CPanelDlg(LastCodes codes, PanelServices services)
    : CWin32Dialog(res::kPanelTemplate),
      m_codes(codes),
      m_processes(services.processes),
      m_download(*this, services.devices, services.clock, services.recorder) {}

CPanelDlg::~CPanelDlg() {
  if (m_hCodeFont)
    DeleteObject(m_hCodeFont);
  if (m_hLabelFont)
    DeleteObject(m_hLabelFont);
}

bool CPanelDlg::OnInitDialog() {
  m_editCartonCode.SubclassDlgItem(Id(ControlId::CartonCode), m_hWnd);
  m_editLeafletCode.SubclassDlgItem(Id(ControlId::LeafletCode), m_hWnd);

  LOGFONTW dialogFont{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)), sizeof dialogFont,
             &dialogFont);
  m_hLabelFont = DialogFontCopy(m_hWnd, kLabelCellHeight, dialogFont.lfWeight);
  for (const int id : {kCartonLabel, kLeafletLabel})
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_hLabelFont), FALSE);
  m_hCodeFont = DialogFontCopy(m_hWnd, kCodeCellHeight, kCodeWeight);
  for (const ControlId id : {ControlId::CartonCode, ControlId::SendCarton, ControlId::LeafletCode,
                             ControlId::SendLeaflet})
    SendMessageW(Item(Id(id)), WM_SETFONT, reinterpret_cast<WPARAM>(m_hCodeFont), FALSE);

  SetWindowTextCp1252(Item(kRevision), kRevisionText);
  SetWindowTextW(m_hWnd, ApplicationTitle().c_str());
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  m_hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kPanelIcon), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                          LR_SHARED));
  m_hSmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kPanelIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

  for (CTouchEdit* field : {&m_editCartonCode, &m_editLeafletCode}) {
    field->m_bKeyboard = true;
    field->m_format.m_nMaxLen = kCodeMaxLen;
    field->m_format.m_cFill = kCodeFill;
    if (field->m_value == 0) {
      field->m_value = reinterpret_cast<TouchValue>(new char[kTouchTextBufferSize]{});
      field->m_format.m_nKind = TE_TEXT;
    }
  }
  // As they stand: a stored code longer than a download takes is still shown whole.
  SetWindowTextCp1252(m_editCartonCode.m_hWnd, m_codes.carton);
  SetWindowTextCp1252(m_editLeafletCode.m_hWnd, m_codes.leaflet);
  return true;  // the focus goes to the first tab stop, the upper send button
}

bool CPanelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED)
        return false;
      switch (LOWORD(wParam)) {
        case static_cast<WORD>(ControlId::SendCarton):
          m_download.OnSendCartonCode();
          return true;
        case static_cast<WORD>(ControlId::SendLeaflet):
          m_download.OnSendLeafletCode();
          return true;
        case static_cast<WORD>(ControlId::Exit):
          OnExitToDesktop();
          return true;
        case static_cast<WORD>(ControlId::PowerOff):
          OnPowerOff();
          return true;
        default:
          return CWin32Dialog::OnMessage(message, wParam, lParam, result);
      }
    case WM_TIMER:
      if (wParam != kDownloadTimerId)
        return false;
      m_download.OnTimer();
      return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX: {
      const HBRUSH brush =
          OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      if (!brush)
        return false;
      result = reinterpret_cast<INT_PTR>(brush);
      return true;
    }
    case WM_PAINT:
      if (!IsIconic(m_hWnd))
        return false;
      OnPaintMinimized();
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(m_hIcon);
      return true;
    default:
      return false;
  }
}

// The code fields in red, the two captions and the log in blue, each on the background the
// system gives it: the brush DefDlgProc would answer with.
HBRUSH CPanelDlg::OnCtlColor(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  COLORREF colour;
  if (id == Id(ControlId::CartonCode) || id == Id(ControlId::LeafletCode)) {
    if (!IsWindowEnabled(control))
      return nullptr;  // a disabled field keeps the system's grey
    colour = kFieldTextColour;
  } else if (id == kCartonLabel || id == kLeafletLabel || id == kLog) {
    colour = kLabelTextColour;
  } else {
    return nullptr;
  }
  const bool label = id == kCartonLabel || id == kLeafletLabel;
  const int background = label ? COLOR_BTNFACE : COLOR_WINDOW;
  SetTextColor(dc, colour);
  SetBkColor(dc, GetSysColor(background));
  return GetSysColorBrush(background);
}

// Minimised where the window system still paints the client area: the icon in its middle.
void CPanelDlg::OnPaintMinimized() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(m_hWnd, &client);
  const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(m_hWnd, &paint);
}

// Enter and Escape never press a button and never end the panel, whatever has the focus.
bool CPanelDlg::PreTranslateMessage(MSG& message) {
  return message.message == WM_KEYDOWN &&
         (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
}

void CPanelDlg::OnDestroy() {
  m_codes.carton = WindowText(m_editCartonCode.m_hWnd);
  m_codes.leaflet = WindowText(m_editLeafletCode.m_hWnd);
  KillTimer(m_hWnd, kDownloadTimerId);
  m_fineTimer.reset();
}

// Shown, and nothing of it waits to be painted.
void CPanelDlg::OnIdle() {
  if (!m_exitAfterFirstFrame || !IsWindowVisible(m_hWnd) || (GetQueueStatus(QS_PAINT) & QS_PAINT))
    return;
  m_exitAfterFirstFrame = false;
  RECT client;
  GetClientRect(m_hWnd, &client);
  std::printf("first frame: %ldx%ld\n", client.right, client.bottom);
  std::fflush(stdout);
  EndDialog(0);
}

void CPanelDlg::OnExitToDesktop() {
  if (ShowMessageBox(m_hWnd, res::LoadString(147), BoxIcon::Question, BoxButtons::OkCancel) ==
      BoxResult::Ok)
    EndDialog(0);
}

// The panel stays open and the settings are not written: the system ends the program.
void CPanelDlg::OnPowerOff() {
  if (ShowMessageBox(m_hWnd, res::LoadString(148), BoxIcon::Question, BoxButtons::OkCancel) ==
      BoxResult::Ok)
    ShutdownSystem(EWX_SHUTDOWN | EWX_FORCE, m_processes);  // the system's values, as ours
}

std::string CPanelDlg::CodeFieldText(CodeKind kind) {
  return WindowText(kind == CodeKind::Carton ? m_editCartonCode.m_hWnd : m_editLeafletCode.m_hWnd);
}

BoxResult CPanelDlg::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return ShowMessageBox(m_hWnd, text, icon, buttons);
}

std::uint32_t CPanelDlg::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  const UINT_PTR timer = SetTimer(m_hWnd, id, periodMs, nullptr);
  if (timer == 0)
    return 0;
  if (!m_fineTimer)
    m_fineTimer.emplace();
  return static_cast<std::uint32_t>(timer);
}

void CPanelDlg::StopTimer(std::uint32_t timerId) {
  KillTimer(m_hWnd, timerId);
  m_fineTimer.reset();
}

void CPanelDlg::EnableControl(ControlId control, bool enable) {
  EnableWindow(Item(Id(control)), enable ? TRUE : FALSE);
}

// As the dialog manager moves the focus, so that the default-button state follows.
void CPanelDlg::SetFocus(ControlId control) {
  SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(Id(control))), TRUE);
}

void CPanelDlg::ClearLog() {
  SendMessageW(Item(kLog), LB_RESETCONTENT, 0, 0);
}

// Inserted at an explicit position after the last line (the list's sorted style does not act on
// an insertion), then brought to the top of the view as far as the list scrolls.
void CPanelDlg::AppendLog(const std::string& text) {
  HWND list = Item(kLog);
  const LRESULT row = SendMessageW(list, LB_GETCOUNT, 0, 0);
  const std::wstring line = ToWide(text);
  SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
}

}  // namespace panel::win32
