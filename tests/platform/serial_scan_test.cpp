// The serial device scan on fake /dev and /sys trees: real UARTs among the placeholder ttyS
// lines, devices of their own hardware, virtual terminals left out, the /dev/serial links with
// the devices they lead to, and what the account may open.
#include "platform/serial/serial_scan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "tests/support/fake_serial_tree.h"
#include "tests/support/run_unprivileged.h"

namespace {

using test_support::FakeSerialTree;

struct Device {
  std::string path;
  std::string kind;
};
struct Link {
  std::string path;
  std::string device;
  bool present;
};

// "/dev/ttySN" for each N from first to last, but for those left out.
std::vector<std::string> Lines(int first, int last, const std::vector<int>& leftOut = {}) {
  std::vector<std::string> paths;
  for (int line = first; line <= last; ++line) {
    if (std::find(leftOut.begin(), leftOut.end(), line) == leftOut.end())
      paths.push_back("/dev/ttyS" + std::to_string(line));
  }
  return paths;
}

void ExpectScan(const platform::SerialScan& scan, const std::vector<Device>& devices,
                const std::vector<Link>& links, const std::vector<std::string>& placeholders) {
  EXPECT_EQ(scan.placeholders, placeholders);
  ASSERT_EQ(scan.devices.size(), devices.size());
  for (std::size_t i = 0; i < devices.size(); ++i) {
    EXPECT_EQ(scan.devices[i].path, devices[i].path);
    EXPECT_EQ(scan.devices[i].kind, devices[i].kind);
  }
  ASSERT_EQ(scan.links.size(), links.size());
  for (std::size_t i = 0; i < links.size(); ++i) {
    EXPECT_EQ(scan.links[i].path, links[i].path);
    EXPECT_EQ(scan.links[i].device, links[i].device);
    EXPECT_EQ(scan.links[i].present, links[i].present);
  }
}

TEST(SerialScan, FindsRealDevicesAndLinks) {
  struct Case {
    const char* title;
    void (*build)(FakeSerialTree& tree);
    std::vector<Device> devices;
    std::vector<Link> links;
    std::vector<std::string> placeholders;
  };
  const Case cases[] = {
      {"nothing at all", [](FakeSerialTree&) {}, {}, {}, {}},
      {"32 placeholder lines, none real",
       [](FakeSerialTree& tree) {
         for (int line = 0; line < 32; ++line)
           tree.AddUart("ttyS" + std::to_string(line), 0);
       },
       {},
       {},
       Lines(0, 31)},
      {"real UARTs among placeholders, in the order of their numbers",
       [](FakeSerialTree& tree) {
         for (int line = 0; line < 32; ++line) {
           if (line != 4)
             tree.AddUart("ttyS" + std::to_string(line), line == 0 ? 4 : line == 10 ? 1 : 0);
         }
         // A type the table does not name, and a UART without a node in /dev.
         tree.AddFile("/sys/class/tty/ttyS3/type", "99\n");
         tree.AddUart("ttyS4", 4, false);
       },
       {{"/dev/ttyS0", "16550A UART"},
        {"/dev/ttyS3", "UART type 99"},
        {"/dev/ttyS10", "8250 UART"}},
       {},
       Lines(1, 31, {3, 4, 10})},
      {"a ttyS whose type cannot be read and is no serial device",
       [](FakeSerialTree& tree) { tree.AddDevice("ttyS5", "serial8250"); },
       {},
       {},
       {"/dev/ttyS5"}},
      {"adapters and virtual terminals",
       [](FakeSerialTree& tree) {
         tree.AddDevice("ttyUSB0", "ftdi_sio");
         tree.AddDevice("ttyACM0", "cdc_acm");
         tree.AddDevice("ttyAMA0", "uart-pl011");
         tree.AddDevice("rfcomm0", "");
         tree.AddDevice("ttyUSB1", "pl2303", false);  // in sysfs, not in this /dev
         tree.AddVirtual("tty0");
         tree.AddVirtual("tty1");
         tree.AddVirtual("console");
         tree.AddVirtual("ptmx");
       },
       {{"/dev/rfcomm0", "serial device"},
        {"/dev/ttyACM0", "USB CDC-ACM device (cdc_acm)"},
        {"/dev/ttyAMA0", "ARM PL011 UART (uart-pl011)"},
        {"/dev/ttyUSB0", "USB serial adapter (ftdi_sio)"}},
       {},
       {}},
      {"by-id and by-path links, one dangling",
       [](FakeSerialTree& tree) {
         tree.AddDevice("ttyUSB0", "ftdi_sio");
         tree.AddLink("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
                      "../../ttyUSB0");
         tree.AddLink("/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial-if00-port0",
                      "../../ttyUSB3");
         tree.AddLink("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "../../ttyUSB0");
         // Not a link: passed over.
         tree.AddFile("/dev/serial/by-id/stray", "");
       },
       {{"/dev/ttyUSB0", "USB serial adapter (ftdi_sio)"}},
       {{"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "/dev/ttyUSB0", true},
        {"/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial-if00-port0", "/dev/ttyUSB3",
         false},
        {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "/dev/ttyUSB0", true}},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    FakeSerialTree tree;
    ASSERT_FALSE(tree.Root().empty());
    c.build(tree);
    ExpectScan(platform::ScanSerialDevices(tree.Root()), c.devices, c.links, c.placeholders);
  }
}

TEST(SerialScan, ResolvesPathsBelowTheRoot) {
  FakeSerialTree tree;
  ASSERT_FALSE(tree.Root().empty());
  tree.AddDevice("ttyUSB0", "ftdi_sio");
  tree.AddLink("/dev/serial/by-id/usb-FTDI-if00-port0", "../../ttyUSB0");
  tree.AddLink("/dev/serial/by-id/usb-gone-if00-port0", "../../ttyUSB9");
  struct Case {
    const char* path;
    const char* device;
  };
  const Case cases[] = {
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/./ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/serial/by-id/usb-FTDI-if00-port0", "/dev/ttyUSB0"},
      {"/dev/serial/by-id/usb-gone-if00-port0", ""},
      {"/dev/ttyS0", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(platform::ResolveDevice(tree.Root(), c.path), c.device);
  }
}

TEST(SerialScan, TellsWhatThisAccountMayOpen) {
  FakeSerialTree tree;
  ASSERT_FALSE(tree.Root().empty());
  tree.AddNode("/dev/ttyS0", 0666);
  tree.AddNode("/dev/ttyUSB0", 0);
  tree.AddNode("/dev/ttyUSB1", 0444);
  tree.AddLink("/dev/serial/by-id/usb-locked", "../../ttyUSB0");
  EXPECT_TRUE(test_support::RunUnprivileged([&] {
    return platform::AccessError(tree.Root(), "/dev/ttyS0") == 0 &&
           platform::AccessError(tree.Root(), "/dev/ttyUSB0") == EACCES &&
           platform::AccessError(tree.Root(), "/dev/ttyUSB1") == EACCES &&
           platform::AccessError(tree.Root(), "/dev/serial/by-id/usb-locked") == EACCES &&
           platform::AccessError(tree.Root(), "/dev/ttyUSB7") == ENOENT;
  }));
}

}  // namespace
