// codepanel with the Qt dialog layer: the command line, Qt's application object, then the shared
// start-up (app/panel_app.h), which runs the panel of this layer (panel_dlg.cpp).
#include <QApplication>

#include "app/command_line.h"
#include "app/panel_app.h"
#include "platform/dialog/first_frame_probe.h"

namespace {

CPanelApp theApp;

}  // namespace

int main(int argc, char* argv[]) {
  // Before QApplication, which cannot be constructed without a display.
  CommandLine commandLine;
  if (const int status = PrepareStart(argc, argv, commandLine); status != kStartPanel)
    return status;

  QApplication application(argc, argv);  // takes Qt's own options out of argv and applies them
  platform::FirstFrameProbe endAfterFirstFrame;
  if (commandLine.exitAfterFirstFrame)
    application.installEventFilter(&endAfterFirstFrame);
  theApp.InitInstance(commandLine.options);
  return 0;
}
