// Serial devices on Windows through the communications functions of the system.
//
// A port name ("COM1") denotes a Windows device name; the handle is the device's HANDLE. Open
// asks for exclusive, synchronous reading and writing of a device that exists already, refuses
// what is no communications device (a file, NUL, or under wine a COM name whose Linux device is
// missing), and records why it failed: a port that another program has open answers "access
// denied", which counts as in use. Wine lets a second program open a COM port all the same, so
// Open also holds a named mutex for the device until Close, and a name already held counts as in
// use too, as the lock does on POSIX. Reads return at once with what has arrived
// (ReadIntervalTimeout MAXDWORD, the rest 0), writes have no time-out, and the line settings are
// built afresh (see win32_dcb.h). Receive errors come from ClearCommError, which also clears them.
// Built on Windows only; this header itself brings no Windows header.
//
//   MapPort / DevicePath   name -> device; COM1..COM4 start as themselves
//   Open / Close           exclusive hold of the device
//   LastOpenFailure        why the last Open failed: device, cause, GetLastError
//   SetImmediateReads      SetCommTimeouts: reads return at once, writes never time out
//   SetLineSettings        SetCommState with the record BuildDcb makes
//   ClearError             ClearCommError: receive errors since the last call, bytes waiting
//   Read / Write / Drain   ReadFile, WriteFile, FlushFileBuffers
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/serial/named_serial_devices.h"

namespace platform {

class Win32SerialDevices final : public NamedSerialDevices {
 public:
  // "COM1" to "COM4" denote themselves until mapped elsewhere.
  Win32SerialDevices();
  ~Win32SerialDevices() override;
  Win32SerialDevices(const Win32SerialDevices&) = delete;
  Win32SerialDevices& operator=(const Win32SerialDevices&) = delete;

  // Lets a port name denote another device name: "\\.\COM7", a USB adapter's port.
  void MapPort(const std::string& name, const std::string& deviceName) override;
  // The device name a port name denotes; empty for a name that denotes none.
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
  bool Known(DeviceHandle h) const { return m_open.count(h) != 0; }
  DeviceHandle Fail(OpenFailure failure);

  std::map<std::string, std::string> m_devices;
  // Each open device with the named mutex that holds its name (a HANDLE, as DeviceHandle).
  std::map<DeviceHandle, DeviceHandle> m_open;
  std::optional<OpenFailure> m_lastOpenFailure;
};

// The cause an Open failure with this GetLastError code counts as.
OpenCause Win32OpenCause(unsigned long error);

// The name of the mutex that holds a device: one for every spelling of it ("COM7", "\\.\com7").
std::string DeviceHoldName(const std::string& device);

}  // namespace platform
