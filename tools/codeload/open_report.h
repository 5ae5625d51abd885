// What codeload tells on standard error about the device a port name stands for, and why it could
// not be opened.
//
// The procedure shows one box for every open failure ("cannot open the serial device"). The line
// written right before it names the device and the cause, so that the operator can tell a missing
// adapter from a missing group membership or a program that holds the port. The lines are English,
// as the rest of the loader's own output, and name the path as given.
//
//   PortOf                  the port name the procedure opens for a kind of code (COM1, COM2)
//   PortLine                "codeload: COM1 is /dev/pts/3"
//   OpenFailureLine         "codeload: cannot open COM1 (/dev/ttyUSB0): permission denied; ..."
//   PermissionDenied        "permission denied", with what to do about it for a serial device
//   ReportingSerialDevices  forwards every call to the real devices and reports a failed Open at
//                           once
#pragma once

#include <functional>
#include <string>

#include "platform/serial/named_serial_devices.h"
#include "scanner/download_host.h"

namespace codeload {

const char* PortOf(CodeKind kind);
std::string PortLine(const std::string& name, const std::string& path);
std::string OpenFailureLine(const platform::OpenFailure& failure);
std::string PermissionDenied(const std::string& path);

class ReportingSerialDevices final : public platform::SerialDevices {
 public:
  using Say = std::function<void(const std::string& line)>;
  ReportingSerialDevices(platform::NamedSerialDevices& devices, Say say)
      : m_devices(devices), m_say(std::move(say)) {}

  platform::DeviceHandle Open(const std::string& name) override;
  bool SetImmediateReads(platform::DeviceHandle h) override {
    return m_devices.SetImmediateReads(h);
  }
  bool SetLineSettings(platform::DeviceHandle h, const platform::LineSettings& settings) override {
    return m_devices.SetLineSettings(h, settings);
  }
  bool ClearError(platform::DeviceHandle h, std::uint32_t& errors,
                  std::uint32_t& inQueue) override {
    return m_devices.ClearError(h, errors, inQueue);
  }
  bool Read(platform::DeviceHandle h, std::uint8_t* buffer, std::uint32_t n,
            std::uint32_t& got) override {
    return m_devices.Read(h, buffer, n, got);
  }
  bool Write(platform::DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
             std::uint32_t& written) override {
    return m_devices.Write(h, data, n, written);
  }
  bool Drain(platform::DeviceHandle h) override { return m_devices.Drain(h); }
  bool Close(platform::DeviceHandle h) override { return m_devices.Close(h); }

 private:
  platform::NamedSerialDevices& m_devices;
  Say m_say;
};

}  // namespace codeload
