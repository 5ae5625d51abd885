#include "platform/serial/win32_serial.h"

#include <iterator>
#include <memory>
#include <string_view>

#include "platform/serial/serial_device.h"
#include "platform/serial/win32_dcb.h"

// After our own headers (see win32_dcb.h).
#include <windows.h>

namespace platform {

namespace {

constexpr const char* kDefaultPorts[] = {"COM1", "COM2", "COM3", "COM4"};

// The flags our interface defines; the system has others (CE_TXFULL, CE_MODE) that no caller
// asks for. Framing errors and breaks are reported as the POSIX backend reports them, and left
// to the caller to ignore.
constexpr DWORD kReportedErrors = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK;

struct CauseOfError {
  DWORD error;
  OpenCause cause;
};
constexpr CauseOfError kCauses[] = {
    {ERROR_FILE_NOT_FOUND, OpenCause::NotFound},
    {ERROR_PATH_NOT_FOUND, OpenCause::NotFound},
    {ERROR_DEV_NOT_EXIST, OpenCause::NotFound},
    {ERROR_BAD_UNIT, OpenCause::NotFound},
    // A COM port that another program has open answers ACCESS_DENIED, not SHARING_VIOLATION.
    {ERROR_ACCESS_DENIED, OpenCause::InUse},
    {ERROR_SHARING_VIOLATION, OpenCause::InUse},
    {ERROR_BUSY, OpenCause::InUse},
};

// 0 for a communications device; otherwise why not. Wine opens a COM name whose Linux device is
// missing all the same, as a handle of no known type on which every call fails: that is a
// device not found. A file or NUL opens as well, and refuses the communications calls.
DWORD NotACommDevice(HANDLE handle) {
  if (GetFileType(handle) == FILE_TYPE_UNKNOWN)
    return ERROR_DEV_NOT_EXIST;
  COMMPROP properties{};
  if (!GetCommProperties(handle, &properties)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_INVALID_FUNCTION;
  }
  return 0;
}

constexpr std::string_view kDevicePrefix = R"(\\.\)";

HANDLE AsHandle(DeviceHandle h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

OpenCause Win32OpenCause(unsigned long error) {
  for (const CauseOfError& entry : kCauses) {
    if (entry.error == error)
      return entry.cause;
  }
  return OpenCause::Other;
}

std::string DeviceHoldName(const std::string& device) {
  std::string_view name(device);
  if (name.starts_with(kDevicePrefix))
    name.remove_prefix(kDevicePrefix.size());
  std::string held = "Global\\codepanel-serial-";
  for (const char c : name) {
    // Device names are case-blind; a backslash would make a namespace of the rest.
    if (c == '\\')
      held += '/';
    else
      held += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return held;
}

Win32SerialDevices::Win32SerialDevices() {
  for (const char* name : kDefaultPorts)
    m_devices[name] = name;
}

Win32SerialDevices::~Win32SerialDevices() {
  for (const auto& [device, hold] : m_open) {
    CloseHandle(AsHandle(device));
    CloseHandle(AsHandle(hold));
  }
}

void Win32SerialDevices::MapPort(const std::string& name, const std::string& deviceName) {
  m_devices[name] = deviceName;
}

std::string Win32SerialDevices::DevicePath(const std::string& name) const {
  const auto it = m_devices.find(name);
  return it == m_devices.end() ? std::string() : it->second;
}

DeviceHandle Win32SerialDevices::Fail(OpenFailure failure) {
  m_lastOpenFailure = std::move(failure);
  return kInvalidHandle;
}

DeviceHandle Win32SerialDevices::Open(const std::string& name) {
  const std::string device = DevicePath(name);
  if (device.empty())
    return Fail({name, device, OpenCause::NoSuchName, 0, 0, {}});
  // The name first, so that a second opener never gets near the device, even for a moment.
  const HANDLE hold = CreateMutexA(nullptr, FALSE, DeviceHoldName(device).c_str());
  if (hold == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
    const DWORD error = hold == nullptr ? GetLastError() : ERROR_ALREADY_EXISTS;
    if (hold != nullptr)
      CloseHandle(hold);
    return Fail({name, device, OpenCause::InUse, static_cast<int>(error), 0, {}});
  }
  const HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /*exclusive*/,
                                    nullptr, OPEN_EXISTING, 0 /*synchronous*/, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseHandle(hold);
    return Fail({name, device, Win32OpenCause(error), static_cast<int>(error), 0, {}});
  }
  if (const DWORD error = NotACommDevice(handle); error != 0) {
    CloseHandle(handle);
    CloseHandle(hold);
    const OpenCause cause =
        error == ERROR_DEV_NOT_EXIST ? OpenCause::NotFound : OpenCause::NotSerialDevice;
    return Fail({name, device, cause, static_cast<int>(error), 0, {}});
  }
  const auto h = reinterpret_cast<DeviceHandle>(handle);
  m_open[h] = reinterpret_cast<DeviceHandle>(hold);
  m_lastOpenFailure.reset();
  return h;
}

bool Win32SerialDevices::SetImmediateReads(DeviceHandle h) {
  if (!Known(h))
    return false;
  // MAXDWORD with both read totals 0 is the one setting that returns at once with what has
  // arrived, possibly nothing; 0 write totals give writes no time-out.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 0;
  return SetCommTimeouts(AsHandle(h), &timeouts) != FALSE;
}

bool Win32SerialDevices::SetLineSettings(DeviceHandle h, const LineSettings& settings) {
  if (!Known(h))
    return false;
  DCB dcb = BuildDcb(settings);
  return SetCommState(AsHandle(h), &dcb) != FALSE;
}

bool Win32SerialDevices::ClearError(DeviceHandle h, std::uint32_t& errors, std::uint32_t& inQueue) {
  errors = 0;
  inQueue = 0;
  DWORD found = 0;
  COMSTAT stat{};
  if (!Known(h) || !ClearCommError(AsHandle(h), &found, &stat))
    return false;
  errors = found & kReportedErrors;
  inQueue = stat.cbInQue;
  return true;
}

bool Win32SerialDevices::Read(DeviceHandle h, std::uint8_t* buffer, std::uint32_t n,
                              std::uint32_t& got) {
  got = 0;
  DWORD count = 0;
  if (!Known(h) || !ReadFile(AsHandle(h), buffer, n, &count, nullptr))
    return false;
  got = count;
  return true;
}

bool Win32SerialDevices::Write(DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
                               std::uint32_t& written) {
  written = 0;
  if (!Known(h))
    return false;
  // With no write time-out a synchronous write takes everything; a short count would mean the
  // device stopped taking bytes, which the loop turns into a failure rather than a spin.
  while (written < n) {
    DWORD count = 0;
    if (!WriteFile(AsHandle(h), data + written, n - written, &count, nullptr) || count == 0)
      return false;
    written += count;
  }
  return true;
}

bool Win32SerialDevices::Drain(DeviceHandle h) {
  return Known(h) && FlushFileBuffers(AsHandle(h)) != FALSE;
}

bool Win32SerialDevices::Close(DeviceHandle h) {
  const auto it = m_open.find(h);
  if (it == m_open.end())
    return false;
  CloseHandle(AsHandle(h));
  // After the device: the next opener finds it free once the name is.
  CloseHandle(AsHandle(it->second));
  m_open.erase(it);
  return true;
}

std::unique_ptr<NamedSerialDevices> MakeSystemSerialDevices() {
  return std::make_unique<Win32SerialDevices>();
}

}  // namespace platform
