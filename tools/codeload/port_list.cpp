#include "tools/codeload/port_list.h"

#include <algorithm>
#include <cerrno>

#include "platform/text/error_text.h"
#include "tools/codeload/open_report.h"

namespace codeload {

namespace {

constexpr const char* kNoName = "-";

// What the account may do with a device, worded as the open report words a failed open.
std::string AccessText(const std::string& device, bool present, bool checked, int error) {
  if (!present)
    return "missing";
  // Only an open would tell, and an open may disturb a device another program uses.
  if (!checked)
    return "present";
  if (error == 0)
    return "read/write ok";
  if (error == EACCES || error == EPERM)
    return "no read/write: " + PermissionDenied(device);
  return "no read/write: " + platform::ErrorText(error);
}

std::string Names(const std::vector<std::string>& names) {
  if (names.empty())
    return kNoName;
  std::string joined;
  for (const std::string& name : names)
    joined += (joined.empty() ? "" : ",") + name;
  return joined;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

}  // namespace

std::string FormatPortList(const std::string& header, const std::vector<ComPortRow>& ports,
                           const std::vector<DeviceRow>& devices) {
  std::string text = header + "\n";
  for (const ComPortRow& port : ports) {
    text += port.name + " -> " + port.path;
    if (!port.device.empty() && port.device != port.path)
      text += " -> " + port.device;
    text += "  (" + port.source + ")  " +
            (port.noUart ? "no UART behind it"
                         : AccessText(port.device, !port.device.empty(), port.accessChecked,
                                      port.accessError)) +
            "\n";
  }

  text += "\nSerial devices:\n";
  if (devices.empty())
    text += "(none found)\n";
  // The devices' own lines as a table; a link's line is long and says where it leads instead.
  std::size_t pathWidth = 0;
  std::size_t kindWidth = 0;
  std::size_t namesWidth = 0;
  for (const DeviceRow& device : devices) {
    if (!device.target.empty())
      continue;
    pathWidth = std::max(pathWidth, device.path.size());
    kindWidth = std::max(kindWidth, device.kind.size());
    namesWidth = std::max(namesWidth, Names(device.mappedAs).size());
  }
  for (const DeviceRow& device : devices) {
    const std::string access = AccessText(device.target.empty() ? device.path : device.target,
                                          device.present, device.accessChecked, device.accessError);
    if (device.target.empty()) {
      text += Padded(device.path, pathWidth) + "  " + Padded(device.kind, kindWidth) + "  " +
              Padded(Names(device.mappedAs), namesWidth) + "  " + access + "\n";
    } else {
      text += device.path + " -> " + device.target + "  " + Names(device.mappedAs) + "  " + access +
              "\n";
    }
  }
  return text;
}

std::string MappingSource(const platform::PortChoice& choice, const std::string& name) {
  for (const platform::PortFileEntry& entry : choice.entries) {
    if (entry.mapping.name != name)
      continue;
    if (entry.line == 0)
      return "--port";
    return choice.file + ":" + std::to_string(entry.line);
  }
  return "default";
}

std::vector<std::string> NamesLeadingTo(const std::vector<ComPortRow>& ports,
                                        const std::string& device) {
  std::vector<std::string> names;
  for (const ComPortRow& port : ports) {
    if (!port.device.empty() && port.device == device)
      names.push_back(port.name);
  }
  return names;
}

std::string PortsHeader(const platform::PortChoice& choice) {
  switch (choice.source) {
    case platform::PortSource::CommandLine:
      if (choice.file.empty())
        return "COM ports (from --port):";
      return "COM ports (from --port; " + choice.file + " not read):";
    case platform::PortSource::PortsFile:
      return "COM ports (from " + choice.file + "):";
    case platform::PortSource::Default:
      break;
  }
  // A system with no station ports file names none.
  if (choice.file.empty())
    return "COM ports (defaults):";
  return "COM ports (no " + choice.file + "; defaults):";
}

}  // namespace codeload
