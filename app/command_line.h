// codepanel's command line, read before the dialog toolkit starts, so that --help and a usage
// error need no display (QApplication's constructor ends the program when it cannot reach one):
//
//   codepanel [--port COMn=PATH]... [--ports-file PATH] [--no-power-off] [--journal] [--help]
//             [the toolkit's options]
//
// The options the dialog layer's toolkit reads itself (app/toolkit_options.h: Qt's -platform NAME,
// -style NAME, ...) are recognised with their values and left in argv for it; anything else is a
// usage error.
//
//   Usage()                                    the usage line, with the toolkit's options
//   ParseCommandLine(argc, argv, out, error)   false on a usage error, with error naming it
//   ReadPortsFile(line, defaultFile, error)    the ports file's mappings when no --port is given
//   HelpText()                                 the --help text
//   PrepareStart(argc, argv, line)             all of the above as the program starts, before
//                                              any window: kStartPanel, or the exit status
#pragma once

#include <string>

#include "app/panel_app.h"

struct CommandLine {
  AppOptions options;
  bool help = false;
  std::string portsFile;             // --ports-file; empty for the station's own
  bool exitAfterFirstFrame = false;  // for benchmarks
};

std::string Usage();

// argv is only read. On a usage error `out` may be partly filled.
bool ParseCommandLine(int argc, const char* const argv[], CommandLine& out, std::string& error);

// Without --port, fills line.options.ports from the ports file (--ports-file, else
// defaultFile); false with error naming the file and its wrong line. See
// platform/serial/port_file.h.
bool ReadPortsFile(CommandLine& line, const std::string& defaultFile, std::string& error);

const char* HelpText();

// What every dialog layer's main() does first, before its toolkit needs a display: reads the
// command line and the ports file into `line`. kStartPanel when the panel is to run; otherwise
// the program's exit status, with its text already written: 0 after --help (on standard output),
// 2 after a usage error or a wrong ports file (on standard error). A wrong ports file stops the
// start as a wrong --port does: better no panel than codes that go to the wrong scanner.
inline constexpr int kStartPanel = -1;
int PrepareStart(int argc, const char* const argv[], CommandLine& line);
