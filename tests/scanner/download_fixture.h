// Shared set-up for the download procedure tests: two scripted scanners on virtual time.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/clock/clock.h"
#include "platform/serial/fake_serial.h"
#include "scanner/download_procedure.h"
#include "tests/support/recording_recorder.h"

// The opening and closing exchange: command and the scanner's proper reply.
inline const std::vector<std::pair<std::string, std::string>> kExchange = {
    {"\x1B[C", "\x1BH\r\n"},
    {"\x1B[B", "\x1BP\r\n"},
    {"\x1BIA ", "\x1BK\r\n"},
    {"\x1B[A", "\x1BX\r\n"},
};

inline const std::string kBoxCancelled = "La procedura di invio codice sar\xE0 annullata!";

class DownloadTest : public ::testing::Test {
 protected:
  explicit DownloadTest(std::uint32_t startTime = 5000) : clock(startTime) {}

  // Makes a device answer every command of the exchange; `reply` may reshape each reply.
  void Answer(platform::FakeDevice& device,
              std::vector<platform::FakeDevice::Piece> (*reply)(const std::string&) = nullptr) {
    for (const auto& [command, answer] : kExchange) {
      device.ReplyTo(command,
                     reply ? reply(answer) : std::vector<platform::FakeDevice::Piece>{{0, answer}});
    }
  }

  // Advances virtual time and delivers one tick.
  void Tick(std::uint32_t ms = kTickPeriodMs) {
    clock.Advance(ms);
    procedure.OnTimer();
  }

  // Ticks while the timer runs, each due 30 ms after the previous one was due, as a window timer
  // delivers them; a tick that overran its period is followed at once. Returns the ticks delivered.
  int RunToEnd(int limit = 2000) {
    int ticks = 0;
    std::uint32_t due = clock.TickCount() + kTickPeriodMs;
    while (host.timerRunning && ticks < limit) {
      const auto wait = static_cast<std::int32_t>(due - clock.TickCount());
      if (wait > 0)
        clock.Advance(static_cast<std::uint32_t>(wait));
      procedure.OnTimer();
      ++ticks;
      due += kTickPeriodMs;
      if (static_cast<std::int32_t>(clock.TickCount() - due) > 0)
        due = clock.TickCount();
    }
    return ticks;
  }

  void StartCarton(const std::string& code) {
    host.cartonCode = code;
    procedure.OnSendCartonCode();
  }

  std::vector<std::string> LogFrom(std::size_t first) const {
    return {host.log.begin() + static_cast<std::ptrdiff_t>(first), host.log.end()};
  }

  platform::VirtualClock clock;
  platform::FakeSerialDevices devices{clock};
  FakeHost host;
  // Every procedure test runs with a recorder, which must change nothing the host sees.
  RecordingRecorder recorder;
  CDownloadProcedure procedure{host, devices, clock, &recorder};
  platform::FakeDevice& com1 = devices.Add("COM1");
};
