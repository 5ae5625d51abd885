#include "app/panel_app.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "panel/panel_dlg.h"
#include "platform/clock.h"
#include "platform/dry_run_process_control.h"
#include "platform/posix_serial.h"
#include "platform/profile_file.h"

const char kSettingsFileName[] = "config.dat";

namespace {

constexpr char kSection[] = "SETTING";
constexpr char kCartonKey[] = "LAST_CODE";
constexpr char kLeafletKey[] = "LAST_AIC_CODE";
constexpr std::size_t kReadBuffer = 256;

}  // namespace

std::string ExecutableFolder() {
  const QString folder = QCoreApplication::applicationDirPath();
  std::string path = QFile::encodeName(QDir::toNativeSeparators(folder)).toStdString();
  if (path.empty() || path.back() != '/')
    path += '/';
  return path;
}

bool CPanelApp::InitInstance(const AppOptions& options) {
  // Nothing else to prepare: no registry is used, and the widgets need no set-up of their own.
  m_strAppDir = ExecutableFolder();

  platform::PosixSerialDevices devices;
  for (const platform::PortMapping& port : options.ports)
    devices.MapPort(port.name, port.path);
  platform::SystemClock clock;
  platform::DryRunProcessControl dryRun(platform::SystemProcessControl());
  platform::ProcessControl& processes =
      options.noPowerOff ? dryRun : platform::SystemProcessControl();

  RunPanel({devices, clock, processes});
  return false;
}

void CPanelApp::RunPanel(const PanelServices& services) {
  LoadSettings();
  CPanelDlg panel({m_strLastCode, m_strLastAicCode}, services);
  panel.DoModal();  // its destroy handler has copied both fields into the two codes
  SaveSettings();
}

// A missing file, section or key reads as an empty code.
void CPanelApp::LoadSettings() {
  m_strLastCode = platform::GetProfileString(SettingsPath(), kSection, kCartonKey, "", kReadBuffer);
  m_strLastAicCode =
      platform::GetProfileString(SettingsPath(), kSection, kLeafletKey, "", kReadBuffer);
}

// Both keys are always written, empty ones too; a failed write goes unreported.
void CPanelApp::SaveSettings() {
  platform::WriteProfileString(SettingsPath(), kSection, kCartonKey, m_strLastCode);
  platform::WriteProfileString(SettingsPath(), kSection, kLeafletKey, m_strLastAicCode);
}
