// The download procedure on scripted scanners, virtual time and a recording host. The input
// scripts one to three downloads in a row on one procedure; for each: the code kind and its bytes
// (0 to 40, any value), the answer to the confirmation, whether the timer or the open fails, the
// four replies (right, wrong, split, with bytes before or after, late, none), short writes, ticks
// let through by the boxes, and events at given ticks (reads failing and working again, receive
// errors, stray bytes, a hang-up, a send button pressed again).
//
// Whatever the script, a press of a send button gives exactly one outcome: one refusal box and
// nothing else (only for a code of the wrong length or holding a control byte); or a confirmation
// that shows the code, and then nothing (No) or one result box and its log lines, written after
// the box: the information box and "...terminata correttamente." last, or one error box, its own
// "--> ERRORE" line and "...NON completata !" last. The download ends within a bound of ticks
// with the port closed, the timer stopped, the six controls enabled and the procedure idle. What
// went on the wire is the start of what the confirmed code gives (computed here from the code, not
// from the scanner tables), and all of it after a success.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/recording_host.h"
#include "platform/clock/clock.h"
#include "platform/serial/fake_serial.h"
#include "res/string_table.h"
#include "scanner/comm_log.h"
#include "scanner/download_procedure.h"

namespace {

using Piece = platform::FakeDevice::Piece;

// A reply waits at most kReplyTimeoutMs, so each of the four exchanges takes at most its send tick
// and 34 waiting ticks; the rest is one tick per state and per code position. Twice that is the
// bound: a download still running then is taken as hung.
constexpr int kLongestDownloadTicks =
    4 * (static_cast<int>(kReplyTimeoutMs / kTickPeriodMs) + 2) + kCodePositions + 16;
constexpr int kTickBound = 2 * kLongestDownloadTicks;

struct Exchange {
  std::string command;
  std::string reply;
};

// The scanner's side of the exchange, in the order the commands go out.
const std::vector<Exchange> kExchanges = {
    {"\x1B[C", std::string("\x1B") + "H\r\n"},
    {"\x1B[B", std::string("\x1B") + "P\r\n"},
    {std::string("\x1B") + "IA ", std::string("\x1B") + "K\r\n"},
    {"\x1B[A", std::string("\x1B") + "X\r\n"},
};

std::string ExpectedWire(const std::string& code) {
  std::string wire = kExchanges[0].command + kExchanges[1].command;
  for (std::size_t p = 0; p < kCodePositions; ++p) {
    const char letter = static_cast<char>(p < 23 ? 'D' + p : 'a' + (p - 23));
    wire += {'\x1B', 'N', letter, p < code.size() ? code[p] : '\x7F'};
  }
  wire += {'\x1B', 'N', 'C', static_cast<char>(0x20 + code.size())};
  return wire + kExchanges[2].command + kExchanges[3].command;
}

bool HasControlByte(const std::string& code) {
  return std::any_of(code.begin(), code.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

enum class Action { HangUp, ReadsFail, ReadsWork, RaiseErrors, Arrive, PressSend };

struct Event {
  int tick;
  Action action;
  std::uint32_t delayMs;
  std::uint32_t flags;
  std::string bytes;
};

struct Download {
  CodeKind kind = CodeKind::Carton;
  std::string code;
  BoxResult answer = BoxResult::Yes;
  bool timerFails = false;
  bool held = false;
  int ticksPerBox = 0;
  std::vector<std::vector<Piece>> replies;
  std::vector<std::pair<std::size_t, std::uint32_t>> shortWrites;
  std::vector<Event> events;
};

std::vector<Piece> ReadReply(FuzzedDataProvider& in, std::string right) {
  std::string bytes;
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
      bytes = right;
      break;
    case 1:
      return {};  // no reply at all
    case 2:
      bytes = in.ConsumeRandomLengthString(8) + right;
      break;
    case 3:
      bytes = right + in.ConsumeRandomLengthString(8);
      break;
    case 4:
      bytes = in.ConsumeRandomLengthString(8);
      break;
    case 5:
      right[in.ConsumeIntegralInRange<std::size_t>(0, right.size() - 1)] ^=
          static_cast<char>(in.ConsumeIntegralInRange(1, 255));
      bytes = right;
      break;
    default:
      right[1] = static_cast<char>(right[1] + ('a' - 'A'));  // the letter in the other case
      bytes = right;
      break;
  }
  std::vector<Piece> pieces;
  const int count = in.ConsumeIntegralInRange(1, 3);
  for (int i = 0; i < count; ++i) {
    const std::size_t length =
        i + 1 == count ? bytes.size() : in.ConsumeIntegralInRange<std::size_t>(0, bytes.size());
    pieces.push_back({in.ConsumeIntegralInRange<std::uint32_t>(0, 1300), bytes.substr(0, length)});
    bytes.erase(0, length);
  }
  return pieces;
}

Download ReadDownload(FuzzedDataProvider& in) {
  Download d;
  d.code = in.ConsumeRandomLengthString(40);
  d.kind = in.ConsumeBool() ? CodeKind::Leaflet : CodeKind::Carton;
  d.answer = in.ConsumeIntegralInRange(0, 7) == 7 ? BoxResult::No : BoxResult::Yes;
  d.timerFails = in.ConsumeIntegralInRange(0, 15) == 15;
  d.held = in.ConsumeIntegralInRange(0, 15) == 15;
  d.ticksPerBox = in.ConsumeIntegralInRange(0, 3);
  for (const Exchange& exchange : kExchanges)
    d.replies.push_back(ReadReply(in, exchange.reply));
  for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n) {
    const auto index = in.ConsumeIntegralInRange<std::size_t>(0, 40);
    d.shortWrites.push_back({index, in.ConsumeIntegralInRange<std::uint32_t>(0, 3)});
  }
  for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
    Event event{};
    event.tick = in.ConsumeIntegralInRange(0, kLongestDownloadTicks);
    event.action = static_cast<Action>(in.ConsumeIntegralInRange(0, 5));
    event.delayMs = in.ConsumeIntegralInRange<std::uint32_t>(0, 1300);
    event.flags = in.ConsumeIntegralInRange<std::uint32_t>(0, 0x1F);
    if (event.action == Action::Arrive)
      event.bytes = in.ConsumeRandomLengthString(6);
    d.events.push_back(event);
  }
  std::stable_sort(d.events.begin(), d.events.end(),
                   [](const Event& a, const Event& b) { return a.tick < b.tick; });
  return d;
}

class Station {
 public:
  explicit Station(std::uint32_t startTime) : m_clock(startTime) {
    m_host.tick = [this] {
      m_clock.Advance(kTickPeriodMs);
      m_procedure.OnTimer();
      ++m_ticks;
    };
  }

  void Run(const Download& d) {
    platform::FakeDevice& device = m_devices.Add(d.kind == CodeKind::Carton ? "COM1" : "COM2");
    for (std::size_t i = 0; i < kExchanges.size(); ++i)
      device.ReplyTo(kExchanges[i].command, d.replies[i]);
    for (const auto& [index, n] : d.shortWrites)
      device.ShortenWrite(index, n);
    device.SetHeld(d.held);
    m_host.code[static_cast<int>(d.kind)] = d.code;
    m_host.answer = d.answer;
    m_host.timerFails = d.timerFails;
    m_host.ticksPerBox = d.ticksPerBox;
    m_host.boxes.clear();
    const std::vector<std::string> logBefore = m_host.log;
    const int timerStartsBefore = m_host.timerStarts;

    Press(d.kind);
    m_ticks = 0;
    auto next = d.events.begin();
    while (m_host.runningTimer != 0 && m_ticks < kTickBound) {
      for (; next != d.events.end() && next->tick <= m_ticks; ++next)
        Apply(*next, device);
      FUZZ_CHECK(m_procedure.IsBusy() && m_host.AllControls(false),
                 "a running download is not busy or left a control enabled");
      m_host.tick();
    }
    FUZZ_CHECK(m_host.runningTimer == 0, "the download did not end within its bound of ticks");
    CheckEnd(d, device.AllWritten(), logBefore, m_host.timerStarts != timerStartsBefore);
  }

 private:
  void Press(CodeKind kind) {
    if (kind == CodeKind::Carton)
      m_procedure.OnSendCartonCode();
    else
      m_procedure.OnSendLeafletCode();
  }

  void Apply(const Event& event, platform::FakeDevice& device) {
    switch (event.action) {
      case Action::HangUp:
        device.HangUp();
        break;
      case Action::ReadsFail:
      case Action::ReadsWork:
        device.SetReadsFail(event.action == Action::ReadsFail);
        break;
      case Action::RaiseErrors:
        device.RaiseErrors(event.delayMs, event.flags);
        break;
      case Action::Arrive:
        device.Arrive(event.delayMs, event.bytes);
        break;
      case Action::PressSend:
        Press((event.flags & 1) != 0 ? CodeKind::Leaflet : CodeKind::Carton);
        break;
    }
  }

  void CheckEnd(const Download& d, const std::string& wire,
                const std::vector<std::string>& logBefore, bool timerStarted) {
    const auto& boxes = m_host.boxes;
    const auto& log = m_host.log;
    FUZZ_CHECK(!m_procedure.IsBusy(), "the procedure is still busy after the end");
    FUZZ_CHECK(m_devices.OpenHandles() == 0 && !m_procedure.m_port.IsOpen(),
               "the port is still open after the end");
    FUZZ_CHECK(m_host.AllControls(true), "a control is still disabled after the end");
    FUZZ_CHECK(ExpectedWire(d.code).starts_with(wire),
               "bytes went on the wire that the code does not give");
    FUZZ_CHECK(!boxes.empty(), "a press of a send button showed no box");

    const bool rightLength = d.code.size() >= kMinCodeLength && d.code.size() <= kMaxCodeLength;
    if (boxes[0].icon != BoxIcon::Question) {
      FUZZ_CHECK(!rightLength || HasControlByte(d.code), "a code of ordinary bytes was refused");
      FUZZ_CHECK(boxes.size() == 1 && boxes[0].icon == BoxIcon::Error &&
                     boxes[0].buttons == BoxButtons::Ok,
                 "a refusal is not exactly one error box");
      FUZZ_CHECK(log == logBefore && wire.empty() && !timerStarted,
                 "a refusal logged, sent or started something");
      return;
    }
    FUZZ_CHECK(rightLength, "a code of the wrong length was put to the confirmation");
    const bool carton = d.kind == CodeKind::Carton;
    const std::string question = res::LoadString(carton ? 130 : 149);
    const std::size_t slot = question.find("%s");
    FUZZ_CHECK(boxes[0].buttons == BoxButtons::YesNo &&
                   boxes[0].text == question.substr(0, slot) + d.code + question.substr(slot + 2),
               "the confirmation does not hold exactly the code");
    if (d.answer == BoxResult::No) {
      FUZZ_CHECK(boxes.size() == 1 && log == logBefore && wire.empty() && !timerStarted,
                 "a download went on after No");
      return;
    }
    FUZZ_CHECK(boxes.size() == 2, "a download ended with other than one result box");
    FUZZ_CHECK(
        log.size() >= 3 && log[0] == kLogSeparator && log[1] == res::LoadString(carton ? 135 : 150),
        "the log does not open with the separator and the kind's start line");
    const auto errorLines = std::count_if(log.begin(), log.end(), [](const std::string& line) {
      return line.starts_with("--> ERRORE");
    });
    const RecordingHost::Box& result = boxes[1];
    if (result.icon == BoxIcon::Information) {
      FUZZ_CHECK(result.text == res::LoadString(140) && result.buttons == BoxButtons::Ok,
                 "a success box other than the information box");
      FUZZ_CHECK(log.back() == res::LoadString(144) && result.logLinesBefore + 1 == log.size() &&
                     errorLines == 0,
                 "a success does not end its log with its line, written after the box");
      FUZZ_CHECK(wire == ExpectedWire(d.code), "a success without every byte of the code sent");
      return;
    }
    struct Failure {
      unsigned box;
      unsigned line;
    };
    static const Failure kFailures[] = {{131, 136}, {132, 134}, {137, 142},
                                        {138, 143}, {139, 145}, {139, 146}};
    const std::size_t n = log.size();
    const bool known =
        std::any_of(std::begin(kFailures), std::end(kFailures), [&](const Failure& f) {
          return result.text == res::LoadString(f.box) && log[n - 2] == res::LoadString(f.line);
        });
    FUZZ_CHECK(result.icon == BoxIcon::Error && result.buttons == BoxButtons::Ok && known,
               "a failure box without its own error line");
    FUZZ_CHECK(
        log.back() == res::LoadString(141) && result.logLinesBefore + 2 == n && errorLines == 1,
        "a failure does not end its log with its two lines, written after the box");
    if (result.text == res::LoadString(131) || result.text == res::LoadString(137))
      FUZZ_CHECK(wire.empty(), "bytes went out although the timer or the port never started");
  }

  platform::VirtualClock m_clock;
  platform::FakeSerialDevices m_devices{m_clock};
  RecordingHost m_host;
  CDownloadProcedure m_procedure{m_host, m_devices, m_clock};
  int m_ticks = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::vector<Download> downloads(static_cast<std::size_t>(in.ConsumeIntegralInRange(1, 3)));
  for (Download& d : downloads)
    d = ReadDownload(in);
  Station station(in.ConsumeIntegral<std::uint32_t>());
  for (const Download& d : downloads)
    station.Run(d);
  return 0;
}
