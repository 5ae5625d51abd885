#include <string>
#include <vector>

#include "download_fixture.h"

namespace {

using Pieces = std::vector<platform::FakeDevice::Piece>;

const std::string kTimeoutBox = "Timeout risposta da scanner!\n" + kBoxCancelled;
const std::string kReceiveBox =
    "Errore durante la ricezione da dispositivo di comunicazione seriale!\n" + kBoxCancelled;
const std::vector<std::string> kWrongReplyLines = {
    "--> ERRORE: Lo scanner ha rilevato problemi di comunicazione !",
    "Procedura di scaricamento codice NON completata !"};
const std::vector<std::string> kTimeoutLines = {
    "--> ERRORE: Timeout risposta da scanner!",
    "Procedura di scaricamento codice NON completata !"};

// Starts a carton download and runs it up to the tick that writes the first opening command.
class ReplyTest : public DownloadTest {
 protected:
  explicit ReplyTest(std::uint32_t start = 5000) : DownloadTest(start) {}
  void SendFirstCommand() {
    StartCarton("ABC");
    Tick();  // open
    Tick();  // <ESC>[C
    ASSERT_EQ(com1.Writes().size(), 1u);
    writeTime = com1.Writes()[0].time;
  }
  std::uint32_t writeTime = 0;
};

TEST_F(ReplyTest, LetterCaseOfTheReplyIsIgnored) {
  Answer(com1, [](const std::string& reply) {
    std::string lower = reply;
    lower[1] = static_cast<char>(lower[1] - 'A' + 'a');
    return Pieces{{0, lower}};
  });
  StartCarton("ABC");
  RunToEnd();
  EXPECT_EQ(host.log[3], "RX: <ESC>h<CR><LF>");
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
}

TEST_F(ReplyTest, SplitReplyIsReadOnlyOnceComplete) {
  Answer(com1, [](const std::string& reply) {
    return Pieces{{0, reply.substr(0, 2)}, {45, reply.substr(2)}};
  });
  SendFirstCommand();
  Tick();  // half the reply is there: nothing is read
  EXPECT_EQ(com1.Pending(), 2u);
  EXPECT_EQ(host.log.size(), 3u);
  Tick();
  EXPECT_EQ(host.log.back(), "RX: <ESC>H<CR><LF>");
  RunToEnd();
  EXPECT_EQ(host.log.size(), 44u);
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
}

TEST_F(ReplyTest, BytesBeforeTheReplyAreShownAndTheStepWaitsOneMoreSecond) {
  Answer(com1, [](const std::string& reply) { return Pieces{{0, "\r\n" + reply}}; });
  SendFirstCommand();
  const std::uint32_t before = clock.TickCount();
  Tick();
  EXPECT_EQ(host.log.back(), "RX: <CR><LF><ESC>H<CR><LF>");
  EXPECT_EQ(clock.TickCount() - before, 30u + 1000u);  // one blocking pass of a second
  EXPECT_EQ(procedure.m_nState, StateSendOpening);
  RunToEnd();
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
}

TEST_F(ReplyTest, BytesAfterTheReplyFailEitherInTheSameReadOrLater) {
  Answer(com1, [](const std::string& reply) { return Pieces{{0, reply + "\r\n"}}; });
  SendFirstCommand();
  RunToEnd();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, kReceiveBox);
  EXPECT_EQ(LogFrom(2),
            (std::vector<std::string>{"TX: <ESC>[C", kWrongReplyLines[0], kWrongReplyLines[1]}));

  // A prefixed reply matched, then a stray byte arrives during the second's pause. An ESC is the
  // first byte of the reply, so only the earlier match, not the compare, can refuse it.
  platform::FakeDevice& device = devices.Add("COM1");
  device.ReplyTo("\x1B[C", Pieces{{0, "\r\n\x1BH\r\n"}, {500, "\x1B"}});
  host.boxes.clear();
  StartCarton("ABC");
  RunToEnd();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, kReceiveBox);
  EXPECT_EQ(LogFrom(2), (std::vector<std::string>{"TX: <ESC>[C", "RX: <CR><LF><ESC>H<CR><LF>",
                                                  kWrongReplyLines[0], kWrongReplyLines[1]}));
}

TEST_F(ReplyTest, WrongReplyFailsWithoutAnRxLineAndNeverTimesOutAfterwards) {
  Answer(com1, [](const std::string&) {
    return Pieces{{0,
                   "\x1B"
                   "E\r\n"}};
  });
  // The operator leaves the box open for five seconds while ticks keep coming.
  host.whileBoxOpen = [this] {
    for (int i = 0; i < 5000 / 30; ++i)
      Tick();
  };
  SendFirstCommand();
  RunToEnd();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(LogFrom(2),
            (std::vector<std::string>{"TX: <ESC>[C", kWrongReplyLines[0], kWrongReplyLines[1]}));
}

TEST_F(ReplyTest, SilentScannerTimesOutJustAfterOneSecond) {
  SendFirstCommand();
  // Up to exactly 1000 ms after the write: still waiting.
  Tick(writeTime + 1000 - clock.TickCount());
  EXPECT_EQ(host.boxes.size(), 1u);
  Tick(1);
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, kTimeoutBox);
  EXPECT_EQ(LogFrom(3), kTimeoutLines);
  EXPECT_EQ(RunToEnd(), 1);
  EXPECT_FALSE(procedure.m_port.IsOpen());
  EXPECT_EQ(host.events.back(), "enable 1011");
}

TEST_F(ReplyTest, ReplyArrivingJustInTimeIsAccepted) {
  com1.ReplyTo("\x1B[C", Pieces{{990, "\x1BH\r\n"}});
  SendFirstCommand();
  Tick(writeTime + 1000 - clock.TickCount());
  EXPECT_EQ(host.log.back(), "RX: <ESC>H<CR><LF>");
  EXPECT_EQ(host.boxes.size(), 1u);
}

class WrapTest : public ReplyTest {
 protected:
  // The tick count wraps between the write and the reply's deadline.
  WrapTest() : ReplyTest(0xFFFFFFFFu - 500u) {}
};

TEST_F(WrapTest, TimeOutIsMeasuredAcrossTheTickCountWrap) {
  SendFirstCommand();
  Tick(writeTime + 1000 - clock.TickCount());
  EXPECT_LT(clock.TickCount(), 1000u);  // wrapped
  EXPECT_EQ(host.boxes.size(), 1u);
  Tick(1);
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, kTimeoutBox);
}

TEST_F(WrapTest, DownloadSucceedsAcrossTheWrap) {
  Answer(com1);
  StartCarton("ABC");
  RunToEnd();
  EXPECT_EQ(host.log.size(), 44u);
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
}

TEST_F(ReplyTest, FloodOfBytesIsReadWithinTheBufferAndJudged) {
  // 450 bytes of noise: read 399 of them, and the tail is wrong.
  com1.ReplyTo("\x1B[C", Pieces{{0, std::string(450, 'x')}});
  SendFirstCommand();
  RunToEnd();
  EXPECT_EQ(LogFrom(3), kWrongReplyLines);

  // The reply ends exactly at byte 399; what stays queued counts as bytes after the reply.
  platform::FakeDevice& device = devices.Add("COM1");
  device.ReplyTo("\x1B[C", Pieces{{0, std::string(395, 'x') + "\x1BH\r\n" + "0123456789"}});
  StartCarton("ABC");
  RunToEnd();
  ASSERT_EQ(host.log.size(), 6u);
  EXPECT_EQ(host.log[3], "RX: " + std::string(395, 'x') + "<ESC>H<CR><LF>");
  EXPECT_EQ(LogFrom(4), kWrongReplyLines);
}

TEST_F(ReplyTest, FailedReadIsRetriedAndOnlyThreeInARowEndTheDownload) {
  const std::vector<std::string> kReceiveLines = {
      "--> ERRORE: Problemi durante ricezione dati da dispositivo di comunicazione seriale!",
      "Procedura di scaricamento codice NON completata !"};
  struct Case {
    int failingReads;
    bool succeeds;
    std::uint32_t firstWaitMs;  // from the write to the end of the first reply's tick
  };
  for (const Case& c : {Case{1, true, 30 + 1000}, Case{2, true, 30 + 2000},
                        Case{3, false, 30 + 2000}, Case{50, false, 30 + 2000}}) {
    SCOPED_TRACE(c.failingReads);
    platform::FakeDevice& device = devices.Add("COM1");
    Answer(device);
    host.boxes.clear();
    StartCarton("ABC");
    Tick();  // open
    Tick();  // <ESC>[C
    device.FailNextReads(c.failingReads);
    const std::uint32_t written = device.Writes()[0].time;
    Tick();
    EXPECT_EQ(clock.TickCount() - written, c.firstWaitMs);
    RunToEnd();
    ASSERT_EQ(host.boxes.size(), 2u);
    if (c.succeeds) {
      EXPECT_EQ(host.boxes[1].icon, BoxIcon::Information);
      EXPECT_EQ(host.log.size(), 44u);
      EXPECT_EQ(host.log[3], "RX: <ESC>H<CR><LF>");
    } else {
      EXPECT_EQ(host.boxes[1].text, kReceiveBox);
      EXPECT_EQ(LogFrom(2),
                (std::vector<std::string>{"TX: <ESC>[C", kReceiveLines[0], kReceiveLines[1]}));
    }
  }

  // A read that never works again ends the same way, once, and is never reported as a time-out.
  platform::FakeDevice& broken = devices.Add("COM1");
  broken.ReplyTo("\x1B[C", Pieces{{0, "\x1BH\r\n"}});
  broken.SetReadsFail(true);
  host.boxes.clear();
  StartCarton("ABC");
  RunToEnd();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, kReceiveBox);
  EXPECT_EQ(LogFrom(3), kReceiveLines);
}

TEST_F(ReplyTest, TickInsideTheBoxRunsTheFinishStepBeforeTheLogLines) {
  host.whileBoxOpen = [this] { Tick(); };
  SendFirstCommand();
  host.events.clear();
  RunToEnd();
  ASSERT_GE(host.events.size(), 10u);
  EXPECT_EQ(host.events[0], "box Timeout risposta da scanner!");
  EXPECT_EQ(host.events[1], "timer stop");
  EXPECT_EQ(host.events[2], "enable 1003");
  EXPECT_EQ(host.events[8], "log --> ERRORE: Timeout risposta da scanner!");
  EXPECT_EQ(host.events[9], "log Procedura di scaricamento codice NON completata !");
  EXPECT_EQ(host.boxes.size(), 2u);
  // Further ticks, however late, repeat nothing.
  Tick(60000);
  EXPECT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.log.size(), 5u);
}

}  // namespace
