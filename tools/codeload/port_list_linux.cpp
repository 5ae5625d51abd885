// ListPorts on Linux: the COM names as the termios backend maps them, the devices as sysfs and
// /dev/serial show them (see serial_scan.h).
#include <algorithm>

#include "platform/serial/posix_serial.h"
#include "platform/serial/serial_scan.h"
#include "scanner/serial_port.h"
#include "tools/codeload/port_list.h"

namespace codeload {

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
    port.source = MappingSource(choice, name);
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
