// The command line of codeload:
//   codeload [--port COMn=PATH]... [--yes] carton|leaflet CODE
// CODE arrives as UTF-8 and leaves as the Windows-1252 bytes the scanner stores.
#pragma once

#include <string>
#include <vector>

#include "platform/port_map.h"
#include "scanner/download_host.h"

namespace codeload {

struct Request {
  bool help = false;
  bool assumeYes = false;
  CodeKind kind = CodeKind::Carton;
  std::string code;  // Windows-1252 bytes
  std::vector<platform::PortMapping> ports;
};

inline constexpr const char* kUsage =
    "usage: codeload [--port COMn=PATH]... [--yes] carton|leaflet CODE";

// False on a usage error, with error telling the operator what is wrong (UTF-8).
bool ParseCommandLine(int argc, const char* const argv[], Request& out, std::string& error);

// The --help text (UTF-8).
const char* HelpText();

}  // namespace codeload
