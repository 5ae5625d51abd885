// What `codeload --list-ports` prints: where each COM name leads now and where that came from,
// then the serial devices of the machine with the COM names that stand for each and whether this
// account may open it. One line per thing, so that grep finds a port, a device or a problem:
//
//   COM ports (from /etc/codepanel/ports):
//   COM1 -> /dev/serial/by-id/usb-FTDI_... -> /dev/ttyUSB0  (/etc/codepanel/ports:3)  read/write ok
//   COM2 -> /dev/ttyS1  (default)  no UART behind it
//   COM3 -> /dev/ttyS2  (default)  missing
//   ...
//
//   Serial devices:
//   /dev/ttyS0    16550A UART                    -     no read/write: permission denied; add ...
//   /dev/ttyUSB0  USB serial adapter (ftdi_sio)  COM1  read/write ok
//   /dev/serial/by-id/usb-FTDI_... -> /dev/ttyUSB0  COM1  read/write ok
//   /dev/serial/by-id/usb-Prolific_... -> /dev/ttyUSB1  -  missing
//
//   ComPortRow / DeviceRow  one line each, as found
//   FormatPortList          the text, from the rows alone
//   PortsHeader             the first line: where the COM names were taken from
//   MappingSource           where one COM name's mapping came from: "default", "--port", FILE:N
//   NamesLeadingTo          the COM names whose device is the one given
//   ListPorts               the text for a root folder ("/" but in tests) and a port choice: one
//                           file per system (port_list_linux.cpp, port_list_win32.cpp)
#pragma once

#include <string>
#include <vector>

#include "platform/serial/port_file.h"

namespace codeload {

struct ComPortRow {
  std::string name;     // "COM1"
  std::string path;     // as mapped
  std::string device;   // where path leads; empty when it leads nowhere
  std::string source;   // "default", "--port", "/etc/codepanel/ports:3"
  bool noUart = false;  // device is a ttyS line with no UART behind it
  int accessError = 0;
  bool accessChecked = true;  // false where the system cannot tell without opening the device
};

struct DeviceRow {
  std::string path;
  std::string target;  // a link: where it leads, or points when that is missing; empty: a device
  std::string kind;    // a device: what it is
  bool present = true;
  std::vector<std::string> mappedAs;  // the COM names that lead to it
  int accessError = 0;
  bool accessChecked = true;
};

std::string FormatPortList(const std::string& header, const std::vector<ComPortRow>& ports,
                           const std::vector<DeviceRow>& devices);

std::string PortsHeader(const platform::PortChoice& choice);

std::string MappingSource(const platform::PortChoice& choice, const std::string& name);

std::vector<std::string> NamesLeadingTo(const std::vector<ComPortRow>& ports,
                                        const std::string& device);

std::string ListPorts(const std::string& root, const platform::PortChoice& choice);

}  // namespace codeload
