#include "app/panel_app.h"

#include <locale.h>
#include <string.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "app/settings_folder.h"
#include "panel/panel_dialog.h"
#include "platform/clock/clock.h"
#include "platform/journal/user_name.h"
#include "platform/process/dry_run_process_control.h"
#include "platform/serial/named_serial_devices.h"
#include "platform/settings/profile_file.h"
#include "platform/text/error_text.h"
#include "scanner/journal_recorder.h"

const char kSettingsFileName[] = "config.dat";

namespace {

constexpr char kSection[] = "SETTING";
constexpr char kCartonKey[] = "LAST_CODE";
constexpr char kLeafletKey[] = "LAST_AIC_CODE";
constexpr std::size_t kReadBuffer = 256;

void ReportSaveFailure(const std::string& path, int error) {
  std::fprintf(stderr, "codepanel: cannot save %s: %s\n", path.c_str(),
               platform::ErrorText(error).c_str());
}

}  // namespace

bool CPanelApp::InitInstance(const AppOptions& options) {
  // Nothing else to prepare: no registry is used, and the widgets need no set-up of their own.
  m_strAppDir = SettingsFolder(ExecutableFolder(), InstalledLayout());

  // This system's serial devices: termios on Linux, the COM devices on Windows.
  const std::unique_ptr<platform::NamedSerialDevices> systemDevices =
      platform::MakeSystemSerialDevices();
  platform::NamedSerialDevices& devices = *systemDevices;
  for (const platform::PortMapping& port : options.ports)
    devices.MapPort(port.name, port.path);
  platform::SystemClock clock;
  platform::DryRunProcessControl dryRun(platform::SystemProcessControl());
  platform::ProcessControl& processes =
      options.noPowerOff ? dryRun : platform::SystemProcessControl();

  std::optional<JournalRecorder> journal;
  if (options.journal) {
    journal.emplace(
        platform::SystemJournal(),
        [&devices](const std::string& port) { return devices.DevicePath(port); },
        platform::EffectiveUserName(), "codepanel",
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  }

  RunPanel({devices, clock, processes, journal ? &*journal : nullptr});
  return false;
}

void CPanelApp::RunPanel(const PanelServices& services) {
  LoadSettings();
  // The panel's destroy handler has copied both fields into the two codes.
  RunPanelDialog({m_strLastCode, m_strLastAicCode}, services);
  SaveSettings();
}

// A missing file, section or key reads as an empty code.
void CPanelApp::LoadSettings() {
  m_strLastCode = platform::GetProfileString(SettingsPath(), kSection, kCartonKey, "", kReadBuffer);
  m_strLastAicCode =
      platform::GetProfileString(SettingsPath(), kSection, kLeafletKey, "", kReadBuffer);
}

// Both keys are always written, empty ones too. A failed write puts no box before the operator,
// but one line on stderr for the station's journal; the second key failing for the same cause as
// the first adds no second line.
void CPanelApp::SaveSettings() {
  platform::WriteStatus carton;
  platform::WriteStatus leaflet;
  platform::WriteProfileString(SettingsPath(), kSection, kCartonKey, m_strLastCode, carton);
  platform::WriteProfileString(SettingsPath(), kSection, kLeafletKey, m_strLastAicCode, leaflet);
  if (!carton.ok())
    ReportSaveFailure(SettingsPath(), carton.error);
  if (!leaflet.ok() && leaflet.error != carton.error)
    ReportSaveFailure(SettingsPath(), leaflet.error);
}
