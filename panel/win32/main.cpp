// codepanel.exe: the operator panel on Windows, a window program on the system's own dialogs.
// The command line is the Linux panel's (without Qt's options); --help and a usage error write to
// the standard streams, which a window program has only when they are redirected. Start-up and
// exit as on the original station: read the two codes from config.dat beside the executable, run
// the panel modally, write both codes back; "Spegni" ends the program through the system.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/clock/clock.h"
#include "platform/journal/journal_recorder.h"
#include "platform/journal/user_name.h"
#include "platform/process/dry_run_process_control.h"
#include "platform/serial/named_serial_devices.h"
#include "platform/serial/port_file.h"
#include "platform/settings/profile_file.h"
#include "platform/text/error_text.h"
// After the headers above: <windows.h> defines some of their constants' names as macros.
#include "panel/win32/panel_dlg.h"

#include <windows.h>
// Need the types of <windows.h>.
#include <commctrl.h>
#include <shellapi.h>
// <windows.h> names the system's own win.ini calls GetProfileString and WriteProfileString, as
// macros that would rename ours.
#undef GetProfileString
#undef WriteProfileString

namespace {

constexpr int kExitUsage = 2;
constexpr char kSection[] = "SETTING";
constexpr char kCartonKey[] = "LAST_CODE";
constexpr char kLeafletKey[] = "LAST_AIC_CODE";
constexpr std::size_t kReadBuffer = 256;

std::string Utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();
  return text;
}

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; wide && i < count; ++i)
    arguments.push_back(Utf8(wide[i]));
  if (wide)
    LocalFree(wide);
  return arguments;
}

void ReportSaveFailure(const std::string& path, int error) {
  std::fprintf(stderr, "codepanel: cannot save %s: %s\n", path.c_str(),
               platform::ErrorText(error).c_str());
}

// Both keys are always written, empty ones too; a failure only leaves a line on stderr.
void SaveSettings(const std::string& path, const std::string& carton, const std::string& leaflet) {
  platform::WriteStatus cartonStatus;
  platform::WriteStatus leafletStatus;
  platform::WriteProfileString(path, kSection, kCartonKey, carton, cartonStatus);
  platform::WriteProfileString(path, kSection, kLeafletKey, leaflet, leafletStatus);
  if (!cartonStatus.ok())
    ReportSaveFailure(path, cartonStatus.error);
  if (!leafletStatus.ok() && leafletStatus.error != cartonStatus.error)
    ReportSaveFailure(path, leafletStatus.error);
}

}  // namespace

const char kSettingsFileName[] = "config.dat";

// With a trailing backslash, in the system's code page as the profile calls take it.
std::string ExecutableFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  const std::size_t slash = folder.find_last_of("\\/");
  folder.erase(slash == std::string::npos ? 0 : slash + 1);
  return folder;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The manifest asks for common controls 6; their classes are registered here.
  const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const std::vector<std::string> arguments = Arguments();
  std::vector<const char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str());
  CommandLine commandLine;
  std::string error;
  if (!ParseCommandLine(static_cast<int>(argv.size()), argv.data(), commandLine, error)) {
    std::fprintf(stderr, "codepanel: %s\n%s\n", error.c_str(), kUsage);
    return kExitUsage;
  }
  if (commandLine.help) {
    std::fputs(HelpText(), stdout);
    return 0;
  }
  if (!ReadPortsFile(commandLine, platform::kDefaultPortsFile, error)) {
    std::fprintf(stderr, "codepanel: %s\n", error.c_str());
    return kExitUsage;
  }
  const AppOptions& options = commandLine.options;

  const std::unique_ptr<platform::NamedSerialDevices> systemDevices =
      platform::MakeSystemSerialDevices();
  platform::NamedSerialDevices& devices = *systemDevices;
  for (const platform::PortMapping& port : options.ports)
    devices.MapPort(port.name, port.path);
  platform::SystemClock clock;
  platform::DryRunProcessControl dryRun(platform::SystemProcessControl());
  platform::ProcessControl& processes =
      options.noPowerOff ? dryRun : platform::SystemProcessControl();
  std::optional<platform::JournalRecorder> journal;
  if (options.journal) {
    journal.emplace(
        platform::SystemJournal(),
        [&devices](const std::string& port) { return devices.DevicePath(port); },
        platform::EffectiveUserName(), "codepanel",
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  }

  const std::string settings = ExecutableFolder() + kSettingsFileName;
  std::string carton = platform::GetProfileString(settings, kSection, kCartonKey, "", kReadBuffer);
  std::string leaflet =
      platform::GetProfileString(settings, kSection, kLeafletKey, "", kReadBuffer);
  {
    panel::win32::CPanelDlg panel({carton, leaflet},
                                  {devices, clock, processes, journal ? &*journal : nullptr});
    if (commandLine.exitAfterFirstFrame)
      panel.ExitAfterFirstFrame();
    if (panel.DoModal() == -1)
      return 1;
  }
  SaveSettings(settings, carton, leaflet);
  return 0;
}
