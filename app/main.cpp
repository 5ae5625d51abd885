// codepanel: the operator panel of the code-checking station.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/panel_app.h"
#include "platform/first_frame_probe.h"

namespace {

constexpr char kHelp[] =
    "usage: codepanel [--port COMn=PATH]... [--no-power-off] [Qt options]\n"
    "The operator panel: loads the carton code into the scanner on COM1 and the leaflet code\n"
    "into the scanner on COM2, and keeps the last codes in config.dat beside the program.\n"
    "  --port COMn=PATH  the device that COMn (n 1-4) denotes; by default /dev/ttyS0-3\n"
    "  --no-power-off    \"Spegni\" only reports what it would end and request\n"
    "  --help            this text\n"
    "  --exit-after-first-frame  for benchmarks: quit once the panel has drawn its first frame\n";

// Qt has taken its own options out of argv already.
bool ParseOptions(int argc, char* argv[], AppOptions& options, bool& help,
                  bool& exitAfterFirstFrame) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--exit-after-first-frame") {
      exitAfterFirstFrame = true;
    } else if (arg == "--no-power-off") {
      options.noPowerOff = true;
    } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
      std::string value;
      if (arg == "--port") {
        if (i + 1 >= argc)
          return false;
        value = argv[++i];
      } else {
        value = arg.substr(std::strlen("--port="));
      }
      platform::PortMapping port;
      if (!platform::ParsePortMapping(value, port))
        return false;
      options.ports.push_back(port);
    } else {
      return false;
    }
  }
  return true;
}

CPanelApp theApp;

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  AppOptions options;
  bool help = false;
  bool exitAfterFirstFrame = false;
  if (!ParseOptions(argc, argv, options, help, exitAfterFirstFrame)) {
    std::fputs(kHelp, stderr);
    return 2;
  }
  if (help) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  platform::FirstFrameProbe endAfterFirstFrame;
  if (exitAfterFirstFrame)
    application.installEventFilter(&endAfterFirstFrame);
  theApp.InitInstance(options);
  return 0;
}
