// ListPorts on Windows: the COM names as the Windows backend maps them, and the COM devices the
// system knows, each with the system device behind it, from QueryDosDeviceA. Nothing is opened:
// a port another program uses is left alone, so whether this account may open one is not told.
#include <algorithm>
#include <charconv>
#include <string_view>
#include <tuple>

#include "platform/serial/win32_serial.h"
#include "scanner/serial_port.h"
#include "tools/codeload/port_list.h"

// After our own headers: <windows.h> defines NOPARITY and the like as macros.
#include <windows.h>

namespace codeload {

namespace {

constexpr std::string_view kDevicePrefix = R"(\\.\)";

// The DOS device name a device name stands for: "\\.\COM7" and "COM7" both mean COM7.
std::string DosName(const std::string& device) {
  const std::string_view name(device);
  return std::string(name.starts_with(kDevicePrefix) ? name.substr(kDevicePrefix.size()) : name);
}

// What the system has behind a DOS device name ("\Device\Serial0"); empty when it knows none.
std::string Target(const std::string& dosName) {
  char target[1024] = {};
  if (dosName.empty() || QueryDosDeviceA(dosName.c_str(), target, sizeof target) == 0)
    return {};
  return target;
}

bool IsComName(std::string_view name) {
  return name.size() > 3 && name.substr(0, 3) == "COM" &&
         std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// COM2 before COM10.
bool ComLess(const std::string& a, const std::string& b) {
  return std::make_tuple(a.size(), a) < std::make_tuple(b.size(), b);
}

// Every DOS device name the system has, NUL-separated, the whole list ending in two NULs.
std::vector<std::string> ComDevices() {
  std::vector<char> names(1 << 16);
  DWORD length = 0;
  while ((length = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) == 0 &&
         GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 24)) {
    names.resize(names.size() * 2);
  }
  std::vector<std::string> found;
  for (std::size_t at = 0; at < length && names[at] != '\0';) {
    const std::string name(names.data() + at);
    if (IsComName(name))
      found.push_back(name);
    at += name.size() + 1;
  }
  std::sort(found.begin(), found.end(), ComLess);
  return found;
}

}  // namespace

std::string ListPorts(const std::string&, const platform::PortChoice& choice) {
  platform::Win32SerialDevices backend;
  for (const platform::PortMapping& mapping : platform::Mappings(choice))
    backend.MapPort(mapping.name, mapping.path);

  std::vector<ComPortRow> ports;
  for (const char* name : kPortNames) {
    ComPortRow port;
    port.name = name;
    port.path = backend.DevicePath(name);
    if (!Target(DosName(port.path)).empty())
      port.device = DosName(port.path);
    port.source = MappingSource(choice, name);
    port.accessChecked = false;
    ports.push_back(port);
  }

  std::vector<DeviceRow> devices;
  for (const std::string& name : ComDevices()) {
    DeviceRow row;
    row.path = name;
    row.kind = Target(name);
    row.mappedAs = NamesLeadingTo(ports, name);
    row.accessChecked = false;
    devices.push_back(row);
  }
  return FormatPortList(PortsHeader(choice), ports, devices);
}

}  // namespace codeload
