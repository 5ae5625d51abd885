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
  // The original's registry key names nothing that is stored, and common controls need no set-up.
  m_strAppDir = ExecutableFolder();
  LoadSettings();

  platform::PosixSerialDevices devices;
  for (const platform::PortMapping& port : options.ports)
    devices.MapPort(port.name, port.path);
  platform::SystemClock clock;
  platform::DryRunProcessControl dryRun(platform::SystemProcessControl());
  platform::ProcessControl& processes =
      options.noPowerOff ? dryRun : platform::SystemProcessControl();

  {
    CPanelDlg panel({m_strLastCode, m_strLastAicCode}, {devices, clock, processes});
    panel.DoModal();  // its destroy handler has copied both fields into the two codes
    SaveSettings();
  }
  return false;
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
