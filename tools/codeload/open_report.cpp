#include "tools/codeload/open_report.h"

#include <string_view>

#include "scanner/serial_port.h"

namespace codeload {

namespace {

using platform::OpenCause;

// A pseudo-terminal belongs to whoever made it; no group opens it to others.
bool IsPseudoTerminal(std::string_view path) {
  return path.starts_with("/dev/pts/");
}

std::string Cause(const platform::OpenFailure& failure) {
  switch (failure.cause) {
    case OpenCause::NoSuchName:
      return "no device path for this name";
    case OpenCause::NotFound:
      return "not found";
    case OpenCause::PermissionDenied:
      return PermissionDenied(failure.path);
    case OpenCause::InUse:
      if (failure.holderPid <= 0)
        return "in use by another program";
      if (failure.holderCommand.empty())
        return "in use by pid " + std::to_string(failure.holderPid);
      return "in use by pid " + std::to_string(failure.holderPid) + " (" + failure.holderCommand +
             ")";
    case OpenCause::NotSerialDevice:
      return "not a serial device";
    case OpenCause::Other:
      break;
  }
  return failure.error != 0 ? platform::DeviceErrorText(failure.error) : "failed";
}

}  // namespace

std::string PermissionDenied(const std::string& path) {
  if (IsPseudoTerminal(path))
    return "permission denied";
  return "permission denied; add your account to the dialout group "
         "(sudo adduser $USER dialout) and log in again";
}

const char* PortOf(CodeKind kind) {
  // The procedure opens the port numbered as the kind of code.
  return kPortNames[static_cast<std::size_t>(kind)];
}

std::string PortLine(const std::string& name, const std::string& path) {
  if (path.empty())
    return "codeload: " + name + " stands for no device";
  return "codeload: " + name + " is " + path;
}

std::string OpenFailureLine(const platform::OpenFailure& failure) {
  std::string line = "codeload: cannot open " + failure.name;
  if (!failure.path.empty())
    line += " (" + failure.path + ")";
  return line + ": " + Cause(failure);
}

platform::DeviceHandle ReportingSerialDevices::Open(const std::string& name) {
  const platform::DeviceHandle handle = m_devices.Open(name);
  if (handle == platform::kInvalidHandle && m_devices.LastOpenFailure())
    m_say(OpenFailureLine(*m_devices.LastOpenFailure()));
  return handle;
}

}  // namespace codeload
