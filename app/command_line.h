// codepanel's command line, read before QApplication exists, so that --help and a usage error
// need no display (QApplication's constructor ends the program when it cannot reach one):
//
//   codepanel [--port COMn=PATH]... [--ports-file PATH] [--no-power-off] [--journal]
//             [--fit-screen] [--help] [Qt options]
//
// Qt's documented options (-platform NAME, -style NAME, -display HOST:N, -geometry WxH+X+Y, ...)
// are recognised with their values and left in argv, so QApplication takes them out and applies
// them itself; anything else is a usage error.
//
//   ParseCommandLine(argc, argv, out, error)   false on a usage error, with error naming it
//   ReadPortsFile(line, defaultFile, error)    the ports file's mappings when no --port is given
//   HelpText()                                 the --help text
#pragma once

#include <string>

#include "app/panel_app.h"

struct CommandLine {
  AppOptions options;
  bool help = false;
  std::string portsFile;             // --ports-file; empty for the station's own
  bool exitAfterFirstFrame = false;  // for benchmarks
  bool fitScreen = false;            // the kiosk: the panel enlarged to its screen, centred
};

inline constexpr const char* kUsage =
    "usage: codepanel [--port COMn=PATH]... [--ports-file PATH] [--no-power-off] [--journal] "
    "[--fit-screen] [--help] [Qt options]";

// argv is only read. On a usage error `out` may be partly filled.
bool ParseCommandLine(int argc, const char* const argv[], CommandLine& out, std::string& error);

// Without --port, fills line.options.ports from the ports file (--ports-file, else
// defaultFile); false with error naming the file and its wrong line. See
// platform/serial/port_file.h.
bool ReadPortsFile(CommandLine& line, const std::string& defaultFile, std::string& error);

const char* HelpText();
