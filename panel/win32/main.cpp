// codepanel.exe: the operator panel on Windows, a window program on the system's own dialogs.
// The command line and the start-up are the shared ones (app/): --help and a usage error write to
// the standard streams, which a window program has only when they are redirected; then the codes
// are read from config.dat beside the executable, the panel of this layer runs modally
// (panel_dlg.cpp) and both codes are written back.
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/panel_app.h"
// After the shared headers: <windows.h> defines some of their names as macros.
#include "panel/win32/panel_dlg.h"

#include <windows.h>
// Need the types of <windows.h>.
#include <commctrl.h>
#include <shellapi.h>

namespace {

CPanelApp theApp;

// The arguments as UTF-8, whatever the system's code page: paths and port names as typed.
std::vector<std::string> Utf8Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; wide && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), size, nullptr, nullptr);
    argument.pop_back();  // the terminating NUL
    arguments.push_back(argument);
  }
  if (wide)
    LocalFree(wide);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::vector<std::string> arguments = Utf8Arguments();
  std::vector<const char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str());
  CommandLine commandLine;
  if (const int status = PrepareStart(static_cast<int>(argv.size()), argv.data(), commandLine);
      status != kStartPanel)
    return status;

  // The manifest asks for common controls 6; their classes are registered here.
  const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (commandLine.exitAfterFirstFrame)
    panel::win32::ExitPanelAfterFirstFrame();
  theApp.InitInstance(commandLine.options);
  return 0;
}
