// The command line of codeload:
//   codeload [--port COMn=PATH]... [--ports-file PATH] [--yes] carton|leaflet CODE
//   codeload --list-ports [--port COMn=PATH]... [--ports-file PATH]
// CODE arrives as UTF-8 and leaves as the Windows-1252 bytes the scanner stores.
//
//   ParseCommandLine   the request, or a usage error; a port mapped twice, or two ports mapped
//                      to one device, is a usage error
//   ControlByteNotice  the line that names a code's first control byte, before the procedure
//                      refuses the code
//   HelpText           the --help text, this system's (help_text_posix.cpp, help_text_win32.cpp)
#pragma once

#include <string>
#include <vector>

#include "platform/serial/port_map.h"
#include "scanner/download_host.h"

namespace codeload {

struct Request {
  bool help = false;
  bool listPorts = false;
  bool assumeYes = false;
  bool journal = false;  // record the download in the system journal
  CodeKind kind = CodeKind::Carton;
  std::string code;  // Windows-1252 bytes
  std::vector<platform::PortMapping> ports;
  std::string portsFile;  // --ports-file; empty for the station's own
};

inline constexpr const char* kUsage =
    "usage: codeload [--port COMn=PATH]... [--ports-file PATH] [--yes] carton|leaflet CODE\n"
    "       codeload --list-ports [--port COMn=PATH]... [--ports-file PATH]";

// False on a usage error, with error telling the operator what is wrong (UTF-8).
bool ParseCommandLine(int argc, const char* const argv[], Request& out, std::string& error);

// "codeload: CODE holds <ESC> at position 3; ..." for the first control byte (00-1F, 7F) in code,
// in the log's notation and counted from 1; empty when code holds none.
std::string ControlByteNotice(const std::string& code);

// The --help text (UTF-8).
const char* HelpText();

}  // namespace codeload
