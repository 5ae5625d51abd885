// Serial devices on a POSIX system through termios.
//
// A port name ("COM1") denotes a device path; the handle is the file descriptor. A device is held
// exclusively by flock and TIOCEXCL from Open to Close, runs raw with no flow control, reads return
// at once and writes block until taken. Those two turn away only later openers, so Open also
// refuses a device that another process holds already (see device_holders.h), and records why it
// failed. Receive errors come from the kernel's error counters (TIOCGICOUNT), reported as the
// change since the previous ClearError; a device without counters (a pseudo-terminal) reports
// none. Once a device hangs up or vanishes, every call fails at once.
//
//   MapPort / DevicePath   name -> path; COM1..COM4 start as /dev/ttyS0../dev/ttyS3
//   Open / Close           exclusive hold of the device
//   LastOpenFailure        why the last Open failed: path, cause, errno, the holder
//   SetImmediateReads      VMIN 0, VTIME 0
//   SetLineSettings        raw binary line: baud rate, byte size, parity, stop bits
//   ClearError             receive errors since the last call, bytes waiting, still there?
//   Read / Write / Drain   bytes in and out, and waiting for them to leave
//
// MakeSystemSerialDevices (named_serial_devices.h) gives this backend on a POSIX system.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/serial/named_serial_devices.h"

namespace platform {

class PosixSerialDevices final : public NamedSerialDevices {
 public:
  // "COM1" to "COM4" denote /dev/ttyS0 to /dev/ttyS3 until mapped elsewhere.
  PosixSerialDevices();
  ~PosixSerialDevices() override;
  PosixSerialDevices(const PosixSerialDevices&) = delete;
  PosixSerialDevices& operator=(const PosixSerialDevices&) = delete;

  // Lets a port name denote another device: a USB adapter, a by-path link, a pseudo-terminal.
  void MapPort(const std::string& name, const std::string& path) override;
  // The device a name denotes; empty for a name that denotes none.
  std::string DevicePath(const std::string& name) const override;

  DeviceHandle Open(const std::string& name) override;
  // Set by a failed Open, cleared by a successful one.
  const std::optional<OpenFailure>& LastOpenFailure() const override { return m_lastOpenFailure; }
  bool SetImmediateReads(DeviceHandle h) override;
  bool SetLineSettings(DeviceHandle h, const LineSettings& settings) override;
  bool ClearError(DeviceHandle h, std::uint32_t& errors, std::uint32_t& inQueue) override;
  bool Read(DeviceHandle h, std::uint8_t* buffer, std::uint32_t n, std::uint32_t& got) override;
  bool Write(DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
             std::uint32_t& written) override;
  bool Drain(DeviceHandle h) override;
  bool Close(DeviceHandle h) override;

 private:
  struct OpenDevice;
  // The open device behind a handle; nullptr for a handle this object did not give out.
  OpenDevice* Find(DeviceHandle h) const;
  DeviceHandle Fail(OpenFailure failure);

  std::map<std::string, std::string> m_paths;
  std::map<DeviceHandle, std::unique_ptr<OpenDevice>> m_open;
  std::optional<OpenFailure> m_lastOpenFailure;
};

}  // namespace platform
