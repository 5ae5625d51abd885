#include <string>
#include <vector>

#include "download_fixture.h"
#include "scanner/comm_log.h"

namespace {

const char kPositionLetters[] = "DEFGHIJKLMNOPQRSTUVWXYZabcdefghi";

// The 145 bytes of a download of `code` (Windows-1252 bytes, 1..31 long).
std::string ExpectedWire(const std::string& code) {
  std::string wire = "\x1B[C\x1B[B";
  for (int i = 0; i < 32; ++i) {
    wire += "\x1BN";
    wire += kPositionLetters[i];
    wire += i < static_cast<int>(code.size()) ? code[static_cast<std::size_t>(i)] : '\x7F';
  }
  wire += "\x1BNC";
  wire += static_cast<char>(0x20 + code.size());
  wire += "\x1BIA \x1B[A";
  return wire;
}

std::vector<std::string> ExpectedLog(const std::string& startLine, const std::string& code) {
  std::vector<std::string> log = {std::string(68, '-'), startLine,     "TX: <ESC>[C",
                                  "RX: <ESC>H<CR><LF>", "TX: <ESC>[B", "RX: <ESC>P<CR><LF>"};
  for (int i = 0; i < 32; ++i) {
    std::string line = "TX: <ESC>N";
    line += kPositionLetters[i];
    if (i < static_cast<int>(code.size())) {
      const std::uint8_t byte[2] = {static_cast<std::uint8_t>(code[static_cast<std::size_t>(i)]),
                                    0};
      line += RenderBytes(byte);
    } else {
      line += "<DEL>";
    }
    log.push_back(line);
  }
  const std::uint8_t length[2] = {static_cast<std::uint8_t>(0x20 + code.size()), 0};
  log.push_back("TX: <ESC>NC" + RenderBytes(length));
  log.insert(log.end(),
             {"TX: <ESC>IA<SPACE>", "RX: <ESC>K<CR><LF>", "TX: <ESC>[A", "RX: <ESC>X<CR><LF>",
              "Procedura di scaricamento codice terminata correttamente."});
  return log;
}

TEST_F(DownloadTest, CartonSuccessSendsTheWholeExchangeAndLogsEveryFrame) {
  Answer(com1);
  StartCarton("ABC123");

  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text,
            "Confermi invio codice di confronto astuccio 'ABC123' allo scanner ?");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Question);
  EXPECT_EQ(host.boxes[0].buttons, BoxButtons::YesNo);
  ASSERT_EQ(host.timerStarts.size(), 1u);
  EXPECT_EQ(host.timerStarts[0], std::make_pair(1u, 30u));
  EXPECT_TRUE(procedure.IsBusy());
  const std::vector<std::string> startEvents(host.events.end() - 6, host.events.end());
  EXPECT_EQ(startEvents,
            (std::vector<std::string>{"disable 1003", "disable 1004", "disable 1000",
                                      "disable 1001", "disable 1010", "disable 1011"}));

  // With replies at once, the finish step comes on the 48th tick: the pacing floor.
  EXPECT_EQ(RunToEnd(), 48);

  const std::string wire = com1.AllWritten();
  EXPECT_EQ(wire.size(), 145u);
  EXPECT_EQ(wire, ExpectedWire("ABC123"));
  EXPECT_EQ(host.log, ExpectedLog("Invio codice controllo astuccio...", "ABC123"));
  EXPECT_EQ(host.log.size(), 44u);

  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, "Procedura di scaricamento codice terminata correttamente.");
  EXPECT_EQ(host.boxes[1].icon, BoxIcon::Information);

  EXPECT_FALSE(procedure.IsBusy());
  EXPECT_FALSE(procedure.m_port.IsOpen());
  EXPECT_EQ(devices.OpenHandles(), 0);
  EXPECT_EQ(host.stoppedTimers, std::vector<std::uint32_t>{7});
  const std::vector<std::string> endEvents(host.events.end() - 6, host.events.end());
  EXPECT_EQ(endEvents, (std::vector<std::string>{"enable 1003", "enable 1004", "enable 1000",
                                                 "enable 1001", "enable 1010", "enable 1011"}));

  const platform::LineSettings& line = com1.Settings();
  EXPECT_EQ(line.baudRate, 9600u);
  EXPECT_EQ(line.byteSize, 8);
  EXPECT_EQ(line.parity, platform::NOPARITY);
  EXPECT_EQ(line.stopBits, platform::ONESTOPBIT);
  EXPECT_TRUE(com1.ImmediateReads());
}

TEST_F(DownloadTest, LeafletGoesToCom2AndCodeBytesTravelUnchanged) {
  platform::FakeDevice& com2 = devices.Add("COM2");
  Answer(com2);
  // A pound sign (Windows-1252 A3) and a '%' that must never act as a format.
  const std::string code = "\xA3%s%i";
  host.leafletCode = code;
  procedure.OnSendLeafletCode();
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ(host.boxes[0].text,
            "Confermi invio codice di confronto letteratura '\xA3%s%i' allo scanner ?");
  RunToEnd();

  EXPECT_TRUE(com1.Writes().empty());
  EXPECT_EQ(com2.AllWritten(), ExpectedWire(code));
  EXPECT_EQ(host.log, ExpectedLog("Invio codice controllo letteratura...", code));
  EXPECT_EQ(host.log[6], "TX: <ESC>ND\xA3");
  EXPECT_EQ(host.log[7], "TX: <ESC>NE%");
}

TEST_F(DownloadTest, ShortestAndLongestCodesFillWithDelAndSendTheirLength) {
  Answer(com1);
  StartCarton("Q");
  RunToEnd();
  std::string wire = com1.AllWritten();
  EXPECT_EQ(wire.substr(6, 4), "\x1BNDQ");
  EXPECT_EQ(wire.substr(10, 4), "\x1BNE\x7F");
  EXPECT_EQ(wire.substr(130, 4), "\x1BNi\x7F");
  EXPECT_EQ(wire.substr(134, 4), "\x1BNC\x21");
  EXPECT_EQ(host.log[38], "TX: <ESC>NC!");

  const std::string longest(31, 'Z');
  StartCarton(longest);
  RunToEnd();
  wire = com1.AllWritten().substr(145);
  EXPECT_EQ(wire, ExpectedWire(longest));
  EXPECT_EQ(wire.substr(126, 4), "\x1BNhZ");
  EXPECT_EQ(wire.substr(130, 4), "\x1BNi\x7F");
  EXPECT_EQ(wire.substr(134, 4), "\x1BNC\x3F");
  // A new download starts its log afresh.
  EXPECT_EQ(host.log.size(), 44u);
}

TEST_F(DownloadTest, CodeCharactersGoOutOnePerTickAfterTheWritePause) {
  Answer(com1);
  StartCarton("AB");
  RunToEnd();
  const auto& writes = com1.Writes();
  ASSERT_EQ(writes.size(), 37u);
  for (std::size_t i = 3; i < 2 + 32; ++i) {
    EXPECT_EQ(writes[i].time - writes[i - 1].time, 30u) << "write " << i;
  }
  // The length goes out on the tick after the one that found all 32 positions sent.
  EXPECT_EQ(writes[34].time - writes[33].time, 60u);
}

}  // namespace
