// The serial devices of this machine that a user can pick for a COM name, found as the kernel
// shows them in sysfs and udev names them in /dev/serial, without disturbing any of them.
//
// The 8250 driver makes a /dev/ttySN node for every line it was built for (often 32), whether a
// UART is there or not; a line with a UART behind it has a type other than 0 (PORT_UNKNOWN) in
// /sys/class/tty/ttySN/type. Only where that file cannot be read is the node opened (O_NONBLOCK |
// O_NOCTTY, closed at once) to ask TIOCGSERIAL. Any other tty with a /sys/class/tty/NAME/device is
// hardware of its own: ttyUSB (USB serial adapters), ttyACM (USB CDC-ACM), ttyAMA (ARM PL011), ...;
// virtual consoles, pseudo-terminals and the console have none. A device counts only when its node
// is in /dev. The links in /dev/serial/by-id and /dev/serial/by-path name a USB adapter by what it
// is and by where it is plugged in, names that outlive a reboot where ttyUSB numbers may not.
//
// Everything is looked up below a root folder: "/" on a real system, a fake /dev and /sys tree in
// the tests. Paths handed out are as the system sees them ("/dev/ttyUSB0"), without the root.
//
//   ScanSerialDevices  the devices and the links, in a stable order
//   ResolveDevice      where a path leads below the root; empty when nowhere
//   AccessError        whether this account may read and write a path: 0, or the errno
#pragma once

#include <string>
#include <vector>

namespace platform {

struct ScannedDevice {
  std::string path;  // "/dev/ttyS0"
  std::string kind;  // "16550A UART", "USB serial adapter (ftdi_sio)"
};

struct ScannedLink {
  std::string path;    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
  std::string device;  // where it leads, "/dev/ttyUSB0"; where it points when that is missing
  bool present = false;
};

struct SerialScan {
  std::vector<ScannedDevice> devices;     // ttyACM0 .. ttyS0, ttyS1, .. ttyS10, ttyUSB0 ..
  std::vector<ScannedLink> links;         // by-id, then by-path, each sorted by name
  std::vector<std::string> placeholders;  // the ttyS nodes with no UART behind them
};

SerialScan ScanSerialDevices(const std::string& root);

std::string ResolveDevice(const std::string& root, const std::string& path);

// access(R_OK | W_OK): no open, so that a device another program holds is left alone.
int AccessError(const std::string& root, const std::string& path);

}  // namespace platform
