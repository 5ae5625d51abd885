#include "platform/port_map.h"

namespace platform {

bool ParsePortMapping(std::string_view value, PortMapping& out) {
  constexpr std::string_view kPrefix = "COM";
  // "COMn=" then at least one character of path.
  if (value.size() < kPrefix.size() + 3 || value.substr(0, kPrefix.size()) != kPrefix) {
    return false;
  }
  const char number = value[kPrefix.size()];
  if (number < '1' || number > '4' || value[kPrefix.size() + 1] != '=')
    return false;
  out.name = std::string(value.substr(0, kPrefix.size() + 1));
  out.path = std::string(value.substr(kPrefix.size() + 2));
  return true;
}

}  // namespace platform
