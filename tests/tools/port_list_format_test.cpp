// What `codeload --list-ports` prints, on every system: the text from given rows, and the header
// for each source of the COM names.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "tools/codeload/port_list.h"

namespace {

using codeload::ComPortRow;
using codeload::DeviceRow;

const std::string kDialout =
    "permission denied; add your account to the dialout group (sudo adduser $USER dialout) and "
    "log in again";

TEST(PortList, FormatsRowsAsLines) {
  struct Case {
    const char* title;
    std::vector<ComPortRow> ports;
    std::vector<DeviceRow> devices;
    std::string text;
  };
  const Case cases[] = {
      {"nothing found",
       {{"COM1", "/dev/ttyS0", "", "default", false, 0}},
       {},
       "HEADER\n"
       "COM1 -> /dev/ttyS0  (default)  missing\n"
       "\n"
       "Serial devices:\n"
       "(none found)\n"},
      {"a link, a placeholder, a pseudo-terminal and other causes",
       {{"COM1", "/dev/serial/by-id/usb-X", "/dev/ttyUSB0", "/etc/codepanel/ports:2", false, 0},
        {"COM2", "/dev/ttyS1", "/dev/ttyS1", "default", true, 0},
        {"COM3", "/dev/pts/4", "/dev/pts/4", "--port", false, EACCES},
        {"COM4", "/dev/ttyUSB1", "/dev/ttyUSB1", "--port", false, EROFS}},
       {},
       "HEADER\n"
       "COM1 -> /dev/serial/by-id/usb-X -> /dev/ttyUSB0  (/etc/codepanel/ports:2)  read/write ok\n"
       "COM2 -> /dev/ttyS1  (default)  no UART behind it\n"
       "COM3 -> /dev/pts/4  (--port)  no read/write: permission denied\n"
       "COM4 -> /dev/ttyUSB1  (--port)  no read/write: read-only file system\n"
       "\n"
       "Serial devices:\n"
       "(none found)\n"},
      // Where only opening a device would tell (Windows), its presence alone is told.
      {"access not checked",
       {{"COM1", R"(\\.\COM7)", "COM7", "--port", false, 0, false},
        {"COM2", "COM2", "", "default", false, 0, false}},
       {{"COM7", "", R"(\Device\Serial2)", true, {"COM1"}, 0, false}},
       "HEADER\n"
       "COM1 -> \\\\.\\COM7 -> COM7  (--port)  present\n"
       "COM2 -> COM2  (default)  missing\n"
       "\n"
       "Serial devices:\n"
       "COM7  \\Device\\Serial2  COM1  present\n"},
      {"devices as a table, links on lines of their own",
       {},
       {{"/dev/ttyS0", "", "16550A UART", true, {}, EACCES},
        {"/dev/ttyUSB10", "", "USB serial adapter (ftdi_sio)", true, {"COM1", "COM2"}, 0},
        {"/dev/serial/by-id/usb-X", "/dev/ttyUSB10", "", true, {"COM1", "COM2"}, 0},
        {"/dev/serial/by-id/usb-Y", "/dev/ttyUSB3", "", false, {}, 0}},
       "HEADER\n"
       "\n"
       "Serial devices:\n"
       "/dev/ttyS0     16550A UART                    -          no read/write: " +
           kDialout +
           "\n"
           "/dev/ttyUSB10  USB serial adapter (ftdi_sio)  COM1,COM2  read/write ok\n"
           "/dev/serial/by-id/usb-X -> /dev/ttyUSB10  COM1,COM2  read/write ok\n"
           "/dev/serial/by-id/usb-Y -> /dev/ttyUSB3  -  missing\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(codeload::FormatPortList("HEADER", c.ports, c.devices), c.text);
  }
}

TEST(PortList, HeaderSaysWhereTheComNamesCameFrom) {
  struct Case {
    platform::PortSource source;
    const char* header;
  };
  const Case cases[] = {
      {platform::PortSource::Default, "COM ports (no /etc/codepanel/ports; defaults):"},
      {platform::PortSource::PortsFile, "COM ports (from /etc/codepanel/ports):"},
      {platform::PortSource::CommandLine,
       "COM ports (from --port; /etc/codepanel/ports not read):"},
  };
  for (const Case& c : cases) {
    platform::PortChoice choice;
    choice.source = c.source;
    choice.file = "/etc/codepanel/ports";
    EXPECT_EQ(codeload::PortsHeader(choice), c.header);
  }
  // A system without a station ports file (Windows) names none.
  platform::PortChoice none;
  EXPECT_EQ(codeload::PortsHeader(none), "COM ports (defaults):");
  none.source = platform::PortSource::CommandLine;
  EXPECT_EQ(codeload::PortsHeader(none), "COM ports (from --port):");
}

}  // namespace
