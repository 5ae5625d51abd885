// The station's ports file: which device each COM name denotes on this machine, written once when
// the station is set up, so that neither the panel nor codeload needs --port on every start.
//
// One mapping a line, "COMn=PATH" as the value of --port, blanks around the '=' allowed. A line
// whose first non-blank is '#' is a comment, and so is everything from a '#' that follows a blank
// ("COM1=/dev/ttyUSB0   # carton scanner"); a '#' inside a word belongs to the path. Blank lines,
// blanks around a line, a CR before its LF and a UTF-8 byte-order mark are ignored. A bad line,
// one COM name on two lines or two names on one device make the whole file wrong: the first such
// line is named with the file and its number, and the program refuses to start rather than load a
// code into the wrong scanner. A missing file at the default path leaves the defaults; one named
// with --ports-file has to be there. Any --port on the command line replaces the whole file, which
// is then not read at all.
//
//   ParsePortFile  the mappings in a file's text, or the first wrong line named
//   ReadPortFile   a file's text; a missing file is told apart from one that cannot be read
//   ChoosePorts    the command line's mappings if it has any, else the file's
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial/port_map.h"

namespace platform {

// Set by the build (CMake cache variable CODEPANEL_PORTS_FILE).
inline constexpr char kDefaultPortsFile[] = CODEPANEL_PORTS_FILE;

struct PortFileEntry {
  PortMapping mapping;
  int line = 0;  // counted from 1; 0 for a mapping from the command line
};

// Whether two paths stand for one device; SameDevice (port_map.h) on a real system.
using SameDeviceTest = std::function<bool(const std::string& a, const std::string& b)>;

// The mappings of text, in their order; false with error
// "FILE:LINE: expected COMn=PATH with n 1-4, got '...'" (or the duplicate named) for the first
// wrong line, out then being left partly filled.
bool ParsePortFile(std::string_view text, const std::string& fileName,
                   const SameDeviceTest& sameDevice, std::vector<PortFileEntry>& out,
                   std::string& error);

enum class PortFileRead { Read, Missing, Failed };

// The whole file into text; Missing when it does not exist, Failed with error holding the errno.
PortFileRead ReadPortFile(const std::string& path, std::string& text, int& error);

enum class PortSource { Default, CommandLine, PortsFile };

struct PortChoice {
  PortSource source = PortSource::Default;  // Default: no --port, and no file to read
  std::string file;                         // the ports file, whether read or not
  std::vector<PortFileEntry> entries;       // the mappings that apply, in their order
};

// commandLine as it is when it maps any port; otherwise the ports file: portsFile (--ports-file),
// or defaultFile when portsFile is empty, which alone may be missing. False with error naming the
// file and what is wrong with it.
bool ChoosePorts(const std::vector<PortMapping>& commandLine, const std::string& portsFile,
                 const std::string& defaultFile, PortChoice& out, std::string& error);

// The mappings alone, as the serial devices take them.
std::vector<PortMapping> Mappings(const PortChoice& choice);

}  // namespace platform
