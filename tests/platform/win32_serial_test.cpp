// The Windows serial backend on its own, under wine or Windows: the DCB built for every row of
// line settings the scanner's tables allow, the port names and their devices, why an open fails
// (a missing device, one another program holds, no serial device), the system's and the C
// runtime's error texts, and handles that were never given out. The exchange itself over a real COM
// port is in tests/windows.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/serial/open_failure.h"
#include "platform/serial/serial_device.h"
#include "platform/serial/win32_serial.h"
#include "platform/text/error_text.h"
#include "scanner/serial_port.h"
#include "tools/codeload/open_report.h"

// After our other headers: it brings <windows.h>, whose macros NOPARITY and the like would
// break their constants (see win32_dcb.h).
#include "platform/serial/win32_dcb.h"

namespace {

using platform::DeviceHandle;
using platform::kInvalidHandle;
using platform::LineSettings;
using platform::OpenCause;
using platform::Win32SerialDevices;

// The fields BuildDcb is to set, cleared in a copy: what remains must be all zero.
DCB WithoutCheckedFields(DCB dcb) {
  dcb.DCBlength = 0;
  dcb.BaudRate = 0;
  dcb.ByteSize = 0;
  dcb.Parity = 0;
  dcb.StopBits = 0;
  dcb.fBinary = 0;
  dcb.fParity = 0;
  return dcb;
}

TEST(Win32Dcb, EveryRowIsBinaryWithoutFlowControlAndWithBothLinesOff) {
  // Every row the scanner's tables allow; the download itself uses 9600 8N1.
  int rows = 0;
  for (const std::uint32_t baudRate : kBaudRates) {
    for (const std::uint8_t parity : kParities) {
      for (const std::uint8_t byteSize : kByteSizes) {
        for (const std::uint8_t stopBits : kStopBits) {
          for (const bool parityCheck : {true, false}) {
            SCOPED_TRACE(std::to_string(baudRate) + " bits " + std::to_string(byteSize) +
                         " parity " + std::to_string(parity) + " stop " + std::to_string(stopBits) +
                         (parityCheck ? " checked" : " unchecked"));
            ++rows;
            const LineSettings settings{baudRate, byteSize, parity, stopBits, parityCheck};
            const DCB dcb = platform::BuildDcb(settings);
            EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
            EXPECT_EQ(dcb.BaudRate, baudRate);
            EXPECT_EQ(dcb.ByteSize, byteSize);
            EXPECT_EQ(dcb.Parity, parity);
            EXPECT_EQ(dcb.StopBits, stopBits);
            EXPECT_EQ(dcb.fBinary, 1u);
            EXPECT_EQ(dcb.fParity, parityCheck ? 1u : 0u);
            EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
            EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
            // No flow control, error character, NUL stripping or abort on error, no XON/XOFF
            // limits or characters: the rest of the record is as zero as it began.
            const DCB rest = WithoutCheckedFields(dcb);
            const DCB zero{};
            EXPECT_EQ(std::memcmp(&rest, &zero, sizeof(DCB)), 0);
          }
        }
      }
    }
  }
  EXPECT_EQ(rows, 5 * 3 * 2 * 3 * 2);

  // The systems's own codes, row by row: our tables number parity even before odd.
  const DCB even = platform::BuildDcb({9600, 7, kParities[1], kStopBits[2], true});
  EXPECT_EQ(even.Parity, EVENPARITY);
  EXPECT_EQ(even.StopBits, TWOSTOPBITS);
  const DCB odd = platform::BuildDcb({9600, 7, kParities[2], kStopBits[1], true});
  EXPECT_EQ(odd.Parity, ODDPARITY);
  EXPECT_EQ(odd.StopBits, ONE5STOPBITS);
  // The no-parity row of the download checks parity too, with no parity bit to check.
  const DCB download = platform::BuildDcb({9600, 8, kParities[0], kStopBits[0], true});
  EXPECT_EQ(download.Parity, NOPARITY);
  EXPECT_EQ(download.fParity, 1u);
}

TEST(Win32Serial, PortNamesDenoteThemselvesUntilMapped) {
  Win32SerialDevices devices;
  for (const char* name : kPortNames)
    EXPECT_EQ(devices.DevicePath(name), name);
  EXPECT_EQ(devices.DevicePath("COM5"), "");
  EXPECT_EQ(devices.DevicePath("com1"), "");
  devices.MapPort("COM1", R"(\\.\COM7)");
  EXPECT_EQ(devices.DevicePath("COM1"), R"(\\.\COM7)");
  EXPECT_EQ(devices.DevicePath("COM2"), "COM2");
}

// A folder of the test's own, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    m_path = std::string(base) + "codepanel-win32-serial-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_path.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::string& file : m_files)
      DeleteFileA(file.c_str());
    RemoveDirectoryA(m_path.c_str());
  }
  std::string File(const std::string& name) {
    const std::string path = m_path + "\\" + name;
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
      CloseHandle(h);
    m_files.push_back(path);
    return path;
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
  std::vector<std::string> m_files;
};

TEST(Win32Serial, SaysWhyAnOpenFailed) {
  TempFolder folder;
  const std::string missingFile = folder.Path() + "\\no-such-device";
  const std::string missingFolder = folder.Path() + "\\no-such-folder\\device";
  const std::string held = folder.File("held");
  // Another program's open with no sharing, as a terminal program holds a COM port.
  const HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  Win32SerialDevices devices;
  devices.MapPort("COM1", missingFile);
  devices.MapPort("COM2", missingFolder);
  devices.MapPort("COM3", held);
  struct Case {
    const char* name;
    std::string device;
    OpenCause cause;
    DWORD error;
    std::string line;
  };
  const Case cases[] = {
      {"COM1", missingFile, OpenCause::NotFound, ERROR_FILE_NOT_FOUND,
       "codeload: cannot open COM1 (" + missingFile + "): not found"},
      {"COM2", missingFolder, OpenCause::NotFound, ERROR_PATH_NOT_FOUND,
       "codeload: cannot open COM2 (" + missingFolder + "): not found"},
      {"COM3", held, OpenCause::InUse, ERROR_SHARING_VIOLATION,
       "codeload: cannot open COM3 (" + held + "): in use by another program"},
      {"COM9", "", OpenCause::NoSuchName, 0,
       "codeload: cannot open COM9: no device path for this name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(devices.Open(c.name), kInvalidHandle);
    ASSERT_TRUE(devices.LastOpenFailure().has_value());
    const platform::OpenFailure& failure = *devices.LastOpenFailure();
    EXPECT_EQ(failure.name, c.name);
    EXPECT_EQ(failure.path, c.device);
    EXPECT_EQ(failure.cause, c.cause);
    EXPECT_EQ(failure.error, static_cast<int>(c.error));
    EXPECT_EQ(codeload::OpenFailureLine(failure), c.line);
  }
  CloseHandle(holder);

  // Once the holder has gone the file opens, but it is no serial device, nor is NUL; each is
  // closed again at once, so that the holder can take the file back exclusively.
  devices.MapPort("COM4", "NUL");
  for (const char* name : {"COM3", "COM4"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(devices.Open(name), kInvalidHandle);
    ASSERT_TRUE(devices.LastOpenFailure().has_value());
    EXPECT_EQ(devices.LastOpenFailure()->cause, OpenCause::NotSerialDevice);
    EXPECT_NE(devices.LastOpenFailure()->error, 0);
    EXPECT_EQ(codeload::OpenFailureLine(*devices.LastOpenFailure()),
              "codeload: cannot open " + std::string(name) + " (" + devices.DevicePath(name) +
                  "): not a serial device");
  }
  const HANDLE again = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the refused open left the file open";
  CloseHandle(again);
}

// Wine lets a second program open a COM port whatever the share mode, so each device is also held
// by name; a refused open keeps no hold behind.
TEST(Win32Serial, ADeviceHeldByNameIsInUse) {
  EXPECT_EQ(platform::DeviceHoldName("COM7"), platform::DeviceHoldName(R"(\\.\com7)"));
  EXPECT_NE(platform::DeviceHoldName("COM7"), platform::DeviceHoldName("COM17"));
  EXPECT_EQ(platform::DeviceHoldName(R"(C:\dev\x)").find('\\', 7), std::string::npos);

  TempFolder folder;
  const std::string missing = folder.Path() + "\\no-such-device";
  Win32SerialDevices devices;
  devices.MapPort("COM1", R"(\\.\COM1)");
  devices.MapPort("COM2", missing);
  // Another program of ours holding COM1 by its other spelling.
  const HANDLE other = CreateMutexA(nullptr, FALSE, platform::DeviceHoldName("com1").c_str());
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(devices.Open("COM1"), kInvalidHandle);
  ASSERT_TRUE(devices.LastOpenFailure().has_value());
  EXPECT_EQ(devices.LastOpenFailure()->cause, OpenCause::InUse);
  EXPECT_EQ(devices.LastOpenFailure()->error, static_cast<int>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(codeload::OpenFailureLine(*devices.LastOpenFailure()),
            R"(codeload: cannot open COM1 (\\.\COM1): in use by another program)");
  CloseHandle(other);

  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(devices.Open("COM2"), kInvalidHandle);
    ASSERT_TRUE(devices.LastOpenFailure().has_value());
    EXPECT_EQ(devices.LastOpenFailure()->cause, OpenCause::NotFound);
  }
  const HANDLE after = CreateMutexA(nullptr, FALSE, platform::DeviceHoldName(missing).c_str());
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS))
      << "a failed open kept its hold";
  CloseHandle(after);
}

TEST(Win32Serial, CausesOfTheSystemsErrorCodes) {
  EXPECT_EQ(platform::Win32OpenCause(ERROR_FILE_NOT_FOUND), OpenCause::NotFound);
  EXPECT_EQ(platform::Win32OpenCause(ERROR_PATH_NOT_FOUND), OpenCause::NotFound);
  // What a COM port answers while another program has it open.
  EXPECT_EQ(platform::Win32OpenCause(ERROR_ACCESS_DENIED), OpenCause::InUse);
  EXPECT_EQ(platform::Win32OpenCause(ERROR_SHARING_VIOLATION), OpenCause::InUse);
  EXPECT_EQ(platform::Win32OpenCause(ERROR_GEN_FAILURE), OpenCause::Other);
  EXPECT_EQ(platform::Win32OpenCause(ERROR_SUCCESS), OpenCause::Other);

  // The system's text, without the full stop and line end of its message table.
  const std::string text = platform::DeviceErrorText(ERROR_GEN_FAILURE);
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), '.');
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_EQ(text.find("error "), std::string::npos) << text;
  EXPECT_NE(platform::DeviceErrorText(ERROR_GEN_FAILURE),
            platform::DeviceErrorText(ERROR_FILE_NOT_FOUND));
  // A code the system has no text for.
  EXPECT_EQ(platform::DeviceErrorText(0x2BADF00D), "error 732819469");
  // errno values (a ports file that cannot be read) in the C runtime's words, lower case first
  // as on POSIX.
  EXPECT_EQ(platform::ErrorText(ENOENT), "no such file or directory");
  EXPECT_EQ(platform::ErrorText(EACCES), "permission denied");
  EXPECT_EQ(codeload::OpenFailureLine({"COM1", "COM1", OpenCause::Other, ERROR_GEN_FAILURE, 0, ""}),
            "codeload: cannot open COM1 (COM1): " + text);
}

TEST(Win32Serial, HandlesNeverGivenOutFail) {
  Win32SerialDevices devices;
  // Even the handle of a real open file, when it did not come from this object.
  TempFolder folder;
  const std::string path = folder.File("foreign");
  const HANDLE foreign = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(foreign, INVALID_HANDLE_VALUE);
  for (const DeviceHandle h :
       {kInvalidHandle, DeviceHandle{0}, reinterpret_cast<DeviceHandle>(foreign)}) {
    std::uint8_t byte = 'x';
    std::uint32_t count = 9;
    std::uint32_t waiting = 9;
    EXPECT_FALSE(devices.SetImmediateReads(h));
    EXPECT_FALSE(devices.SetLineSettings(h, LineSettings{}));
    EXPECT_FALSE(devices.ClearError(h, count, waiting));
    EXPECT_FALSE(devices.Read(h, &byte, 1, count));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(devices.Write(h, &byte, 1, count));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(devices.Drain(h));
    EXPECT_FALSE(devices.Close(h));
  }
  // Still open: the object did not close what was not its own.
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(foreign, "x", 1, &written, nullptr));
  CloseHandle(foreign);
}

}  // namespace
