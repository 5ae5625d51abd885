#include "panel/win32/panel_dlg.h"

#include <cstdio>

#include "panel/panel_dialog.h"
#include "panel/win32/message_box.h"
#include "panel/win32/win32_text.h"

namespace panel::win32 {

namespace {

bool g_exitAfterFirstFrame = false;

}  // namespace

void ExitPanelAfterFirstFrame() {
  g_exitAfterFirstFrame = true;
}

CPanelDlg::CPanelDlg(LastCodes codes, PanelServices services)
    : CWin32Dialog(res::kPanelTemplate),
      m_model(*this, codes, services),
      m_exitAfterFirstFrame(g_exitAfterFirstFrame) {}

CPanelDlg::~CPanelDlg() {
  DeleteFonts();
}

INT_PTR CPanelDlg::DoModal() {
  return CWin32Dialog::DoModal(nullptr);
}

// Before the window goes: both field texts into the codes while the fields still exist.
void CPanelDlg::OnDestroy() {
  m_model.OnDestroy();
}

bool CPanelDlg::OnInitDialog() {
  m_editCartonCode.SubclassDlgItem(static_cast<int>(ControlId::CartonCode), m_hWnd);
  m_editLeafletCode.SubclassDlgItem(static_cast<int>(ControlId::LeafletCode), m_hWnd);
  SetWindowTextW(m_hWnd, ApplicationTitle().c_str());
  m_model.OnInitDialog();
  return true;  // the focus goes to the first tab stop, the upper send button
}

bool CPanelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED)
        return false;
      switch (LOWORD(wParam)) {
        case static_cast<WORD>(ControlId::SendCarton):
          m_model.OnSendCartonCode();
          return true;
        case static_cast<WORD>(ControlId::SendLeaflet):
          m_model.OnSendLeafletCode();
          return true;
        case static_cast<WORD>(ControlId::Exit):
          m_model.OnExitToDesktop();
          return true;
        case static_cast<WORD>(ControlId::PowerOff):
          m_model.OnPowerOff();
          return true;
        default:
          return CWin32Dialog::OnMessage(message, wParam, lParam, result);
      }
    case WM_TIMER:
      if (wParam != kDownloadTimerId)
        return false;
      m_model.OnTimer();
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

// The shared colours on the background the system gives each control: the dialog's face for the
// captions, the window colour for the fields and the log. A disabled field keeps the system's grey.
HBRUSH CPanelDlg::OnCtlColor(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  const std::optional<Rgb> colour = PanelTextColour(id);
  if (!colour || !IsWindowEnabled(control))
    return nullptr;
  const bool caption = id == kCartonLabel || id == kLeafletLabel;
  const int background = caption ? COLOR_BTNFACE : COLOR_WINDOW;
  SetTextColor(dc, RGB(colour->red, colour->green, colour->blue));
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
  const IconOrigin origin = MinimisedIconOrigin(
      client.right, client.bottom, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  DrawIcon(dc, origin.x, origin.y, m_hIcon);
  EndPaint(m_hWnd, &paint);
}

// Enter and Escape never press a button and never end the panel, whatever has the focus.
bool CPanelDlg::PreTranslateMessage(MSG& message) {
  return message.message == WM_KEYDOWN &&
         (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
}

// For benchmarks: shown, and nothing of it waits to be painted.
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

// A copy of the dialog font with the face, a cell height in pixels at 96 dpi (a positive height
// asks for the cell, as the original's fonts did) scaled to the screen's resolution as the dialog
// manager scales the dialog font, and the weight.
void CPanelDlg::CreatePanelFont(const PanelFont& font) {
  LOGFONTW logFont{};
  auto* dialogFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (!dialogFont || !GetObjectW(dialogFont, sizeof logFont, &logFont))
    return;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  logFont.lfHeight = MulDiv(font.height, dpi, 96);
  logFont.lfWidth = 0;
  if (font.weight != kDialogFontWeight)
    logFont.lfWeight = font.weight;
  lstrcpynW(logFont.lfFaceName, ToWide(font.face).c_str(), LF_FACESIZE);
  HFONT made = CreateFontIndirectW(&logFont);
  for (const int id : font.controls)
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
  HFONT& slot = font.role == PanelFontRole::Label ? m_hLabelFont : m_hCodeFont;
  if (slot)
    DeleteObject(slot);
  slot = made;
}

void CPanelDlg::DeleteFonts() {
  for (HFONT* font : {&m_hCodeFont, &m_hLabelFont}) {
    if (*font)
      DeleteObject(*font);
    *font = nullptr;
  }
}

void CPanelDlg::SetIcons() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  m_hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kPanelIcon), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                          LR_SHARED));
  m_hSmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kPanelIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
}

TouchField& CPanelDlg::CodeField(CodeKind kind) {
  return kind == CodeKind::Carton ? m_editCartonCode : m_editLeafletCode;
}

std::string CPanelDlg::GetText(int id) {
  return WindowText(Item(id));
}

void CPanelDlg::SetText(int id, const std::string& text) {
  SetWindowTextCp1252(Item(id), text);
}

void CPanelDlg::EnableControl(int id, bool enable) {
  EnableWindow(Item(id), enable ? TRUE : FALSE);
}

// As the dialog manager moves the focus, so that the default-button state follows.
void CPanelDlg::SetFocus(int id) {
  SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

BoxResult CPanelDlg::ShowBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return ShowMessageBox(m_hWnd, text, icon, buttons);
}

std::uint32_t CPanelDlg::SetTimer(std::uint32_t id, std::uint32_t periodMs) {
  return static_cast<std::uint32_t>(::SetTimer(m_hWnd, id, periodMs, nullptr));
}

void CPanelDlg::KillTimer(std::uint32_t id) {
  ::KillTimer(m_hWnd, id);
}

void CPanelDlg::ResetLog() {
  SendMessageW(Item(kLogList), LB_RESETCONTENT, 0, 0);
}

int CPanelDlg::LogCount() {
  return static_cast<int>(SendMessageW(Item(kLogList), LB_GETCOUNT, 0, 0));
}

// At an explicit position: the list's sorted style does not act on an insertion.
void CPanelDlg::InsertLogLine(int index, const std::string& line) {
  const std::wstring text = ToWide(line);
  SendMessageW(Item(kLogList), LB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.c_str()));
}

void CPanelDlg::SetLogTopIndex(int index) {
  SendMessageW(Item(kLogList), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

}  // namespace panel::win32

// The panel of this dialog layer, run by the application's start-up (app/panel_app.h).
void RunPanelDialog(LastCodes codes, const PanelServices& services) {
  panel::win32::CPanelDlg panel(codes, services);
  panel.DoModal();
}
