#include "platform/serial/port_map.h"

#include <filesystem>
#include <system_error>

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

bool AddPortOption(std::string_view value, std::vector<PortMapping>& ports, std::string& error) {
  PortMapping mapping;
  if (!ParsePortMapping(value, mapping)) {
    error = "bad --port value '" + std::string(value) + "': expected COMn=PATH with n 1..4";
    return false;
  }
  ports.push_back(mapping);
  return true;
}

bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b)
    return true;
  std::error_code failedA;
  std::error_code failedB;
  const std::filesystem::path realA = std::filesystem::canonical(a, failedA);
  const std::filesystem::path realB = std::filesystem::canonical(b, failedB);
  return !failedA && !failedB && realA == realB;
}

}  // namespace platform
