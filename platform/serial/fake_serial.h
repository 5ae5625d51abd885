// Scripted serial devices on virtual time, for tests: replies scheduled after the commands that
// ask for them, split replies, injected receive errors, short writes and hang-ups.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/serial/serial_device.h"

namespace platform {

class FakeDevice {
 public:
  // One piece of a reply: bytes that arrive a delay after the command was written.
  struct Piece {
    std::uint32_t delayMs;
    std::string bytes;
  };
  struct WriteRecord {
    std::uint32_t time;
    std::string bytes;
  };

  explicit FakeDevice(Clock& clock) : m_clock(clock) {}

  // Script: when a write equals the command, the pieces are queued on their delays.
  void ReplyTo(const std::string& command, std::vector<Piece> pieces);
  // Script: bytes that arrive after a delay from now, whatever was written.
  void Arrive(std::uint32_t delayMs, const std::string& bytes);
  // Script: receive error flags (CE_*) raised after a delay from now.
  void RaiseErrors(std::uint32_t delayMs, std::uint32_t flags);
  // Script: the write that is number `index` (0-based, counting every write) takes only n bytes.
  void ShortenWrite(std::size_t index, std::uint32_t n) { m_shortWrites[index] = n; }
  // Script: every operation fails from now on, as on a device that was unplugged.
  void HangUp() { m_hungUp = true; }
  // Script: another program holds the device, so it cannot be opened.
  void SetHeld(bool held) { m_held = held; }
  // Script: reads fail although ClearError reports bytes waiting.
  void SetReadsFail(bool fail) { m_readsFail = fail; }
  // Script: the next n reads fail although ClearError reports bytes waiting; later ones work.
  void FailNextReads(int n) { m_failingReads = n; }

  // What happened.
  const std::vector<WriteRecord>& Writes() const { return m_writes; }
  std::string AllWritten() const;
  const LineSettings& Settings() const { return m_settings; }
  bool ImmediateReads() const { return m_immediateReads; }
  int OpenCount() const { return m_openCount; }
  std::size_t Pending() const;  // bytes that have arrived and wait to be read

 private:
  friend class FakeSerialDevices;
  struct Arrival {
    std::uint32_t at;
    std::uint8_t byte;
  };
  struct ErrorEvent {
    std::uint32_t at;
    std::uint32_t flags;
  };
  bool Due(std::uint32_t at) const;

  Clock& m_clock;
  std::map<std::string, std::vector<Piece>> m_replies;
  std::vector<Arrival> m_input;
  std::vector<ErrorEvent> m_errors;
  std::map<std::size_t, std::uint32_t> m_shortWrites;
  std::vector<WriteRecord> m_writes;
  LineSettings m_settings;
  bool m_immediateReads = false;
  bool m_hungUp = false;
  bool m_held = false;
  bool m_readsFail = false;
  int m_failingReads = 0;
  int m_openCount = 0;
};

class FakeSerialDevices final : public SerialDevices {
 public:
  explicit FakeSerialDevices(Clock& clock) : m_clock(clock) {}

  // Creates the device that the name denotes; names not added do not exist.
  FakeDevice& Add(const std::string& name);
  FakeDevice* Find(const std::string& name);
  int OpenHandles() const { return static_cast<int>(m_handles.size()); }

  DeviceHandle Open(const std::string& name) override;
  bool SetImmediateReads(DeviceHandle h) override;
  bool SetLineSettings(DeviceHandle h, const LineSettings& settings) override;
  bool ClearError(DeviceHandle h, std::uint32_t& errors, std::uint32_t& inQueue) override;
  bool Read(DeviceHandle h, std::uint8_t* buffer, std::uint32_t n, std::uint32_t& got) override;
  bool Write(DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
             std::uint32_t& written) override;
  bool Drain(DeviceHandle h) override;
  bool Close(DeviceHandle h) override;

 private:
  FakeDevice* Live(DeviceHandle h);

  Clock& m_clock;
  std::map<std::string, std::unique_ptr<FakeDevice>> m_devices;
  std::map<DeviceHandle, FakeDevice*> m_handles;
  DeviceHandle m_nextHandle = 100;
};

}  // namespace platform
