// CPanelDlg: the operator panel, the program's only main window. It shows the two touch code
// fields with their "Invia a scanner" buttons, the communication log and the two ways out, and it
// hosts the code download procedure: the procedure's tick, boxes, controls and log are the
// panel's.
#pragma once

#include <QIcon>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "panel/touch_edit.h"
#include "platform/clock/timer_resolution.h"
#include "platform/dialog/template_dialog.h"
#include "scanner/download_procedure.h"

class QFont;
class QListWidget;
class QPushButton;

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

class CPanelDlg : public platform::TemplateDialog, private DownloadHost {
  Q_OBJECT

 public:
  CPanelDlg(LastCodes codes, PanelServices services, QWidget* parent = nullptr);
  ~CPanelDlg() override;

  // Runs the panel modally, then its destroy handler.
  int DoModal();

  // The log operations on list 1007.
  void ClearLog() override;
  void AppendLog(const std::string& text) override;
  void AppendLog(unsigned stringId) { m_download.AppendLog(stringId); }

  const CDownloadProcedure& Download() const { return m_download; }

 protected:
  bool OnInitDialog() override;
  bool PreTranslateKey(QKeyEvent& event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void DoDataExchange();
  void OnCtlColor();
  void OnDestroy();
  QIcon OnQueryDragIcon() const { return m_hIcon; }

  void OnSendCartonCode() { m_download.OnSendCartonCode(); }
  void OnSendLeafletCode() { m_download.OnSendLeafletCode(); }
  void OnTimer() { m_download.OnTimer(); }
  void OnExitToDesktop();
  void OnPowerOff();

  // DownloadHost
  std::string CodeFieldText(CodeKind kind) override;
  BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void StopTimer(std::uint32_t timerId) override;
  void EnableControl(ControlId control, bool enable) override;
  void SetFocus(ControlId control) override;

  LastCodes m_codes;
  platform::ProcessControl& m_processes;

  QIcon m_hIcon;
  CDownloadProcedure m_download;  // state, step and serial port of the download
  QTimer m_timer;
  // Held while the download's timer runs, so that the system keeps its 30 ms period.
  std::optional<platform::FineTimerResolution> m_fineTimer;
  std::unique_ptr<QFont> m_pCodeFont;
  std::unique_ptr<QFont> m_pLabelFont;
  CTouchEdit* m_editCartonCode = nullptr;
  CTouchEdit* m_editLeafletCode = nullptr;
  QPushButton* m_btnSendCarton = nullptr;
  QPushButton* m_btnSendLeaflet = nullptr;
  QListWidget* m_listLog = nullptr;
  QPushButton* m_btnExit = nullptr;
  QPushButton* m_btnPowerOff = nullptr;
};
