// A port mapping given on a command line: "COMn=PATH" lets the port name COM1..COM4 denote the
// device at PATH (a USB adapter, a by-path link, a pseudo-terminal).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct PortMapping {
  std::string name;  // "COM1" .. "COM4"
  std::string path;
};

// False, leaving out untouched, unless the value is exactly COMn=PATH with n 1..4 and PATH
// not empty.
bool ParsePortMapping(std::string_view value, PortMapping& out);

// The value of a --port option appended to ports; false with the text that tells the user what
// is wrong with it.
bool AddPortOption(std::string_view value, std::vector<PortMapping>& ports, std::string& error);

// Whether two paths stand for one device: two spellings of it (a by-path link and its target,
// "/dev/./x") count as the same once both exist; a path that does not exist can only be compared
// as it is written.
bool SameDevice(const std::string& a, const std::string& b);

}  // namespace platform
