#include "tools/codeload/port_list.h"

#include <algorithm>
#include <cerrno>

#include "platform/error_text.h"
#include "platform/posix_serial.h"
#include "platform/serial_scan.h"
#include "scanner/serial_port.h"
#include "tools/codeload/open_report.h"

namespace codeload {

namespace {

constexpr const char* kNoName = "-";

// What the account may do with a device, worded as the open report words a failed open.
std::string AccessText(const std::string& device, bool present, int error) {
  if (!present)
    return "missing";
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

std::string SourceOf(const platform::PortChoice& choice, const std::string& name) {
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
                         : AccessText(port.device, !port.device.empty(), port.accessError)) +
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
                                          device.present, device.accessError);
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

std::string PortsHeader(const platform::PortChoice& choice) {
  switch (choice.source) {
    case platform::PortSource::CommandLine:
      return "COM ports (from --port; " + choice.file + " not read):";
    case platform::PortSource::PortsFile:
      return "COM ports (from " + choice.file + "):";
    case platform::PortSource::Default:
      break;
  }
  return "COM ports (no " + choice.file + "; defaults):";
}

std::string ListPorts(const std::string& root, const platform::PortChoice& choice) {
  // The serial backend's own defaults, so that the list shows what an Open would use.
  platform::PosixSerialDevices backend;
  for (const platform::PortMapping& mapping : platform::Mappings(choice))
    backend.MapPort(mapping.name, mapping.path);

  const platform::SerialScan scan = platform::ScanSerialDevices(root);
  std::vector<ComPortRow> ports;
  for (const char* name : kPortNames) {
    ComPortRow port;
    port.name = name;
    port.path = backend.DevicePath(name);
    port.device = platform::ResolveDevice(root, port.path);
    port.source = SourceOf(choice, name);
    // Such a node opens, but nothing answers on its line.
    port.noUart = std::find(scan.placeholders.begin(), scan.placeholders.end(), port.device) !=
                  scan.placeholders.end();
    if (!port.device.empty())
      port.accessError = platform::AccessError(root, port.path);
    ports.push_back(port);
  }

  std::vector<DeviceRow> devices;
  for (const platform::ScannedDevice& found : scan.devices) {
    DeviceRow row;
    row.path = found.path;
    row.kind = found.kind;
    row.mappedAs = NamesLeadingTo(ports, found.path);
    row.accessError = platform::AccessError(root, found.path);
    devices.push_back(row);
  }
  for (const platform::ScannedLink& link : scan.links) {
    DeviceRow row;
    row.path = link.path;
    row.target = link.device;
    row.present = link.present;
    if (link.present) {
      row.mappedAs = NamesLeadingTo(ports, link.device);
      row.accessError = platform::AccessError(root, link.path);
    }
    devices.push_back(row);
  }
  return FormatPortList(PortsHeader(choice), ports, devices);
}

}  // namespace codeload
