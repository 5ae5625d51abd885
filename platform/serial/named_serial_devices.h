// Serial devices reached by port name, as this system's serial backend offers them: the device
// each COM name denotes can be changed, and a failed open tells why. One backend per system,
// chosen by CMake (posix_serial.cpp, win32_serial.cpp), each with its own MakeSystemSerialDevices.
//
//   NamedSerialDevices        SerialDevices plus MapPort, DevicePath and LastOpenFailure
//   MakeSystemSerialDevices   this system's backend, with its default devices for COM1..COM4
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/serial/open_failure.h"
#include "platform/serial/serial_device.h"

namespace platform {

class NamedSerialDevices : public SerialDevices {
 public:
  // Lets a port name denote another device: a USB adapter, a pseudo-terminal, \\.\COM7.
  virtual void MapPort(const std::string& name, const std::string& device) = 0;
  // The device a name denotes; empty for a name that denotes none.
  virtual std::string DevicePath(const std::string& name) const = 0;
  // Set by a failed Open, cleared by a successful one.
  virtual const std::optional<OpenFailure>& LastOpenFailure() const = 0;
};

std::unique_ptr<NamedSerialDevices> MakeSystemSerialDevices();

}  // namespace platform
