// PanelModel: the operator panel's rules (dialog 102), whatever toolkit builds its controls. It
// is the download procedure's host (scanner/download_host.h) and the panel's set-up, exit and
// power-off; a dialog layer's CPanelDlg owns one, implements PanelView on its controls and routes
// its messages to it:
//
//   dialog initialised              OnInitDialog()   fonts, revision, icons, code fields, codes
//   dialog destroyed                OnDestroy()      both field texts into the codes, fonts freed
//   button 1000 / 1001 clicked      OnSendCartonCode() / OnSendLeafletCode()
//   timer 1 (WM_TIMER)              OnTimer()
//   button 1010 / 1011 clicked      OnExitToDesktop() / OnPowerOff()
//
// What stays in the layer: creating the controls from the template, the key filter (Return and
// Escape key-downs swallowed), the colours by PanelTextColour (panel_setup.h), the minimised
// painting at MinimisedIconOrigin, the touch fields' messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "panel/panel_setup.h"
#include "platform/clock/timer_resolution.h"
#include "scanner/download_procedure.h"

namespace platform {
class ProcessControl;
}

// The application's two last codes, Windows-1252 bytes, read into the fields at start and written
// back from them when the panel is destroyed.
struct LastCodes {
  std::string& carton;
  std::string& leaflet;
};

// What the panel reaches outside itself.
struct PanelServices {
  platform::SerialDevices& devices;
  platform::Clock& clock;
  platform::ProcessControl& processes;
  DownloadRecorder* recorder = nullptr;  // where each download's record goes; none by default
};

// What the panel's rules need of the dialog built from template 102. Controls by their ids; texts
// are Windows-1252 bytes.
class PanelView {
 public:
  virtual ~PanelView() = default;

  // Makes `font` from a copy of the dialog's own font and sets it on font.controls, in order; it
  // lives until DeleteFonts. With no dialog font nothing is made or set.
  virtual void CreatePanelFont(const PanelFont& font) = 0;
  virtual void DeleteFonts() = 0;
  // Icon resource kPanelIcon as the large, then the small window icon.
  virtual void SetIcons() = 0;
  // The touch field of code field 1003 (carton) or 1004 (leaflet).
  virtual TouchField& CodeField(CodeKind kind) = 0;
  virtual std::string GetText(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual void EnableControl(int id, bool enable) = 0;
  virtual void SetFocus(int id) = 0;
  // A modal box owned by the panel, captioned with the executable's name; timer ticks keep
  // arriving while it is open.
  virtual BoxResult ShowBox(const std::string& text, BoxIcon icon, BoxButtons buttons) = 0;
  // The panel's window timer: the id when started, 0 when not.
  virtual std::uint32_t SetTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
  virtual void KillTimer(std::uint32_t id) = 0;
  // The log list 1007, driven as a list box: LB_RESETCONTENT, LB_GETCOUNT, LB_INSERTSTRING,
  // LB_SETTOPINDEX.
  virtual void ResetLog() = 0;
  virtual int LogCount() = 0;
  virtual void InsertLogLine(int index, const std::string& line) = 0;
  virtual void SetLogTopIndex(int index) = 0;
  // Ends the panel's modal run.
  virtual void EndDialog(int result) = 0;
};

class PanelModel final : private DownloadHost {
 public:
  PanelModel(PanelView& view, LastCodes codes, PanelServices services);

  void OnInitDialog();
  void OnDestroy();
  void OnSendCartonCode() { m_download.OnSendCartonCode(); }
  void OnSendLeafletCode() { m_download.OnSendLeafletCode(); }
  void OnTimer() { m_download.OnTimer(); }
  void OnExitToDesktop();
  void OnPowerOff();

  // The log operations on list 1007.
  void ClearLog() override;
  void AppendLog(const std::string& line) override;
  void AppendLog(unsigned stringId) { m_download.AppendLog(stringId); }

  const CDownloadProcedure& Download() const { return m_download; }

 private:
  // DownloadHost
  std::string CodeFieldText(CodeKind kind) override;
  BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void StopTimer(std::uint32_t timerId) override;
  void EnableControl(ControlId control, bool enable) override;
  void SetFocus(ControlId control) override;

  PanelView& m_view;
  LastCodes m_codes;
  platform::ProcessControl& m_processes;
  CDownloadProcedure m_download;  // state, step and serial port of the download
  // Held while the download's timer runs, so that the system keeps its 30 ms period.
  std::optional<platform::FineTimerResolution> m_fineTimer;
};
