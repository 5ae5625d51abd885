// codepanel: the operator panel of the code-checking station.
#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/panel_app.h"
#include "platform/dialog/first_frame_probe.h"
#include "platform/dialog/screen_fit.h"
#include "platform/serial/port_file.h"

namespace {

constexpr int kExitUsage = 2;

CPanelApp theApp;

}  // namespace

int main(int argc, char* argv[]) {
  // Before QApplication, which cannot be constructed without a display.
  CommandLine commandLine;
  std::string error;
  if (!ParseCommandLine(argc, argv, commandLine, error)) {
    std::fprintf(stderr, "codepanel: %s\n%s\n", error.c_str(), kUsage);
    return kExitUsage;
  }
  if (commandLine.help) {
    std::fputs(HelpText(), stdout);
    return 0;
  }
  // A wrong ports file stops the start as a wrong --port does: better no panel than codes that
  // go to the wrong scanner.
  if (!ReadPortsFile(commandLine, platform::kDefaultPortsFile, error)) {
    std::fprintf(stderr, "codepanel: %s\n", error.c_str());
    return kExitUsage;
  }

  QApplication application(argc, argv);  // takes Qt's own options out of argv and applies them
  if (commandLine.fitScreen) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      platform::SetScreenFit(platform::FitToScreen(res::kPanelTemplate, screen->geometry()));
  }
  platform::FirstFrameProbe endAfterFirstFrame;
  if (commandLine.exitAfterFirstFrame)
    application.installEventFilter(&endAfterFirstFrame);
  theApp.InitInstance(commandLine.options);
  return 0;
}
