// What `codeload --list-ports` prints on Linux: the whole list for fake /dev and /sys trees, read
// by an account without privileges so that a locked device shows as such. The text from given
// rows and the header are in port_list_format_test.cpp.
#include "tools/codeload/port_list.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/fake_serial_tree.h"
#include "tests/support/run_unprivileged.h"

namespace {

using codeload::ComPortRow;
using codeload::DeviceRow;
using test_support::FakeSerialTree;

const std::string kDialout =
    "permission denied; add your account to the dialout group (sudo adduser $USER dialout) and "
    "log in again";

// The text make() returns, made by an account without privileges; passed back through a pipe,
// as the account may run in a child of its own.
std::string Unprivileged(const std::function<std::string()>& make) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0)
    return "no pipe";
  const bool ran = test_support::RunUnprivileged([&] {
    const std::string text = make();
    return ::write(pipeEnds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
  });
  ::close(pipeEnds[1]);
  std::string text;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeEnds[0]);
  EXPECT_TRUE(ran);
  return text;
}

// A station: a built-in UART among 32 lines, an FTDI adapter by its by-id and by-path names, a
// Prolific adapter whose node only root may open, a by-id link left by an adapter since pulled.
void BuildStation(FakeSerialTree& tree) {
  for (int line = 0; line < 32; ++line)
    tree.AddUart("ttyS" + std::to_string(line), line == 0 ? 4 : 0);
  tree.AddDevice("ttyUSB0", "ftdi_sio");
  tree.AddDevice("ttyUSB1", "pl2303");
  tree.AddNode("/dev/ttyUSB1", 0);
  tree.AddVirtual("tty0");
  tree.AddLink("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "../../ttyUSB0");
  tree.AddLink("/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
               "../../ttyUSB3");
  tree.AddLink("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "../../ttyUSB0");
}

TEST(PortList, ListsAStationWithTheComNameOfEachDevice) {
  FakeSerialTree tree;
  ASSERT_FALSE(tree.Root().empty());
  BuildStation(tree);
  const std::string ftdi = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  const std::string prolific =
      "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";
  const std::string byPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";

  struct Case {
    const char* title;
    platform::PortChoice choice;
    std::string text;
  };
  const Case cases[] = {
      {"the defaults",
       {platform::PortSource::Default, "/etc/codepanel/ports", {}},
       "COM ports (no /etc/codepanel/ports; defaults):\n"
       "COM1 -> /dev/ttyS0  (default)  read/write ok\n"
       "COM2 -> /dev/ttyS1  (default)  no UART behind it\n"
       "COM3 -> /dev/ttyS2  (default)  no UART behind it\n"
       "COM4 -> /dev/ttyS3  (default)  no UART behind it\n"
       "\n"
       "Serial devices:\n"
       "/dev/ttyS0    16550A UART                    COM1  read/write ok\n"
       "/dev/ttyUSB0  USB serial adapter (ftdi_sio)  -     read/write ok\n"
       "/dev/ttyUSB1  USB serial adapter (pl2303)    -     no read/write: " +
           kDialout + "\n" + ftdi + " -> /dev/ttyUSB0  -  read/write ok\n" + prolific +
           " -> /dev/ttyUSB3  -  missing\n" + byPath + " -> /dev/ttyUSB0  -  read/write ok\n"},
      {"the ports file: the adapter by its by-id name, a locked one, one not plugged in",
       {platform::PortSource::PortsFile,
        "/etc/codepanel/ports",
        {{{"COM1", ftdi}, 3}, {{"COM2", "/dev/ttyUSB1"}, 4}, {{"COM4", "/dev/ttyUSB7"}, 6}}},
       "COM ports (from /etc/codepanel/ports):\n"
       "COM1 -> " +
           ftdi +
           " -> /dev/ttyUSB0  (/etc/codepanel/ports:3)  read/write ok\n"
           "COM2 -> /dev/ttyUSB1  (/etc/codepanel/ports:4)  no read/write: " +
           kDialout +
           "\n"
           "COM3 -> /dev/ttyS2  (default)  no UART behind it\n"
           "COM4 -> /dev/ttyUSB7  (/etc/codepanel/ports:6)  missing\n"
           "\n"
           "Serial devices:\n"
           "/dev/ttyS0    16550A UART                    -     read/write ok\n"
           "/dev/ttyUSB0  USB serial adapter (ftdi_sio)  COM1  read/write ok\n"
           "/dev/ttyUSB1  USB serial adapter (pl2303)    COM2  no read/write: " +
           kDialout + "\n" + ftdi + " -> /dev/ttyUSB0  COM1  read/write ok\n" + prolific +
           " -> /dev/ttyUSB3  -  missing\n" + byPath + " -> /dev/ttyUSB0  COM1  read/write ok\n"},
      {"--port on the by-path name, and on a UART a default leads to as well",
       {platform::PortSource::CommandLine,
        "/etc/codepanel/ports",
        {{{"COM2", byPath}, 0}, {{"COM3", "/dev/ttyS0"}, 0}}},
       "COM ports (from --port; /etc/codepanel/ports not read):\n"
       "COM1 -> /dev/ttyS0  (default)  read/write ok\n"
       "COM2 -> " +
           byPath +
           " -> /dev/ttyUSB0  (--port)  read/write ok\n"
           "COM3 -> /dev/ttyS0  (--port)  read/write ok\n"
           "COM4 -> /dev/ttyS3  (default)  no UART behind it\n"
           "\n"
           "Serial devices:\n"
           "/dev/ttyS0    16550A UART                    COM1,COM3  read/write ok\n"
           "/dev/ttyUSB0  USB serial adapter (ftdi_sio)  COM2       read/write ok\n"
           "/dev/ttyUSB1  USB serial adapter (pl2303)    -          no read/write: " +
           kDialout + "\n" + ftdi + " -> /dev/ttyUSB0  COM2  read/write ok\n" + prolific +
           " -> /dev/ttyUSB3  -  missing\n" + byPath + " -> /dev/ttyUSB0  COM2  read/write ok\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(Unprivileged([&] { return codeload::ListPorts(tree.Root(), c.choice); }), c.text);
  }
}

}  // namespace
