#include "platform/serial/fake_serial.h"

#include <algorithm>

namespace platform {

bool FakeDevice::Due(std::uint32_t at) const {
  // Wrap-safe "at <= now" on the 32-bit tick count.
  return static_cast<std::int32_t>(m_clock.TickCount() - at) >= 0;
}

void FakeDevice::ReplyTo(const std::string& command, std::vector<Piece> pieces) {
  m_replies[command] = std::move(pieces);
}

void FakeDevice::Arrive(std::uint32_t delayMs, const std::string& bytes) {
  const std::uint32_t at = m_clock.TickCount() + delayMs;
  for (const char c : bytes)
    m_input.push_back({at, static_cast<std::uint8_t>(c)});
}

void FakeDevice::RaiseErrors(std::uint32_t delayMs, std::uint32_t flags) {
  m_errors.push_back({m_clock.TickCount() + delayMs, flags});
}

std::string FakeDevice::AllWritten() const {
  std::string all;
  for (const auto& record : m_writes)
    all += record.bytes;
  return all;
}

std::size_t FakeDevice::Pending() const {
  std::size_t n = 0;
  // Arrivals are queued in order of scheduling, not of time: count every one that is due.
  for (const auto& arrival : m_input)
    n += Due(arrival.at) ? 1 : 0;
  return n;
}

FakeDevice& FakeSerialDevices::Add(const std::string& name) {
  auto& slot = m_devices[name];
  slot = std::make_unique<FakeDevice>(m_clock);
  return *slot;
}

FakeDevice* FakeSerialDevices::Find(const std::string& name) {
  const auto it = m_devices.find(name);
  return it == m_devices.end() ? nullptr : it->second.get();
}

FakeDevice* FakeSerialDevices::Live(DeviceHandle h) {
  const auto it = m_handles.find(h);
  if (it == m_handles.end() || it->second->m_hungUp)
    return nullptr;
  return it->second;
}

DeviceHandle FakeSerialDevices::Open(const std::string& name) {
  FakeDevice* device = Find(name);
  if (device == nullptr || device->m_held || device->m_hungUp || device->m_openCount > 0) {
    return kInvalidHandle;
  }
  ++device->m_openCount;
  const DeviceHandle h = m_nextHandle++;
  m_handles[h] = device;
  return h;
}

bool FakeSerialDevices::SetImmediateReads(DeviceHandle h) {
  FakeDevice* device = Live(h);
  if (device == nullptr)
    return false;
  device->m_immediateReads = true;
  return true;
}

bool FakeSerialDevices::SetLineSettings(DeviceHandle h, const LineSettings& settings) {
  FakeDevice* device = Live(h);
  if (device == nullptr)
    return false;
  device->m_settings = settings;
  return true;
}

bool FakeSerialDevices::ClearError(DeviceHandle h, std::uint32_t& errors, std::uint32_t& inQueue) {
  errors = 0;
  inQueue = 0;
  FakeDevice* device = Live(h);
  if (device == nullptr)
    return false;
  auto& events = device->m_errors;
  for (auto it = events.begin(); it != events.end();) {
    if (device->Due(it->at)) {
      errors |= it->flags;
      it = events.erase(it);
    } else {
      ++it;
    }
  }
  inQueue = static_cast<std::uint32_t>(device->Pending());
  return true;
}

bool FakeSerialDevices::Read(DeviceHandle h, std::uint8_t* buffer, std::uint32_t n,
                             std::uint32_t& got) {
  got = 0;
  FakeDevice* device = Live(h);
  if (device == nullptr || device->m_readsFail)
    return false;
  if (device->m_failingReads > 0) {
    --device->m_failingReads;
    return false;
  }
  auto& input = device->m_input;
  for (auto it = input.begin(); it != input.end() && got < n;) {
    if (device->Due(it->at)) {
      buffer[got++] = it->byte;
      it = input.erase(it);
    } else {
      ++it;
    }
  }
  return true;
}

bool FakeSerialDevices::Write(DeviceHandle h, const std::uint8_t* data, std::uint32_t n,
                              std::uint32_t& written) {
  written = 0;
  FakeDevice* device = Live(h);
  if (device == nullptr)
    return false;
  const std::size_t index = device->m_writes.size();
  std::uint32_t taken = n;
  if (const auto it = device->m_shortWrites.find(index); it != device->m_shortWrites.end()) {
    taken = std::min(n, it->second);
  }
  const std::string bytes(reinterpret_cast<const char*>(data), taken);
  device->m_writes.push_back({m_clock.TickCount(), bytes});
  written = taken;
  if (const auto it = device->m_replies.find(bytes); it != device->m_replies.end()) {
    for (const auto& piece : it->second)
      device->Arrive(piece.delayMs, piece.bytes);
  }
  return taken == n;
}

bool FakeSerialDevices::Drain(DeviceHandle h) {
  return Live(h) != nullptr;
}

bool FakeSerialDevices::Close(DeviceHandle h) {
  const auto it = m_handles.find(h);
  if (it == m_handles.end())
    return false;
  --it->second->m_openCount;
  m_handles.erase(it);
  return true;
}

}  // namespace platform
