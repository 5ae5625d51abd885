#include <string>
#include <vector>

#include "download_fixture.h"

namespace {

const std::vector<std::string> kPreviousLog = {"earlier line 1", "earlier line 2"};

TEST_F(DownloadTest, RefusedLengthShowsTheLimitsAndTouchesNothing) {
  for (const std::string& code : {std::string(), std::string(32, 'A'), std::string(40, 'A')}) {
    host.log = kPreviousLog;
    host.boxes.clear();
    host.events.clear();
    StartCarton(code);
    ASSERT_EQ(host.boxes.size(), 1u) << code.size();
    EXPECT_EQ(host.boxes[0].text,
              "Numero caratteri codice errato (richiesti [1..31]) !\n" + kBoxCancelled);
    EXPECT_EQ(host.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(host.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(host.events.back(), "focus 1003");
    EXPECT_EQ(host.log, kPreviousLog);
    EXPECT_TRUE(host.timerStarts.empty());
  }
  host.leafletCode.clear();
  procedure.OnSendLeafletCode();
  EXPECT_EQ(host.events.back(), "focus 1004");
  EXPECT_TRUE(com1.Writes().empty());
}

TEST_F(DownloadTest, CodeWithAControlByteIsRefusedBeforeAnythingIsAskedOrSent) {
  const std::string kRefusal = "Il codice contiene caratteri non ammessi !\n" + kBoxCancelled;
  const std::string kRefused[] = {
      "AB\x1B"
      "CD",
      std::string("AB\0CD", 5),
      "\tA",
      "A\r",
      "A\n",
      "\x1F",
      "AB\x7F",
      "\x01"};
  for (const std::string& code : kRefused) {
    SCOPED_TRACE(testing::PrintToString(code));
    host.log = kPreviousLog;
    host.boxes.clear();
    host.events.clear();
    StartCarton(code);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, kRefusal);
    EXPECT_EQ(host.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(host.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(host.events.back(), "focus 1003");
    EXPECT_EQ(host.log, kPreviousLog);
    EXPECT_TRUE(host.timerStarts.empty());
  }
  host.leafletCode = "\x1B[A";
  procedure.OnSendLeafletCode();
  EXPECT_EQ(host.events.back(), "focus 1004");
  EXPECT_EQ(com1.OpenCount(), 0);

  // The length is judged first; and every byte from the space up, but DEL, is a code byte.
  host.boxes.clear();
  StartCarton(std::string(32, '\x1B'));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text.substr(0, 24), "Numero caratteri codice ");
  host.answer = BoxResult::No;
  for (const std::string& code : {std::string(" "), std::string("~\x80\x81\xA0\xA3\xFF")}) {
    host.boxes.clear();
    StartCarton(code);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].buttons, BoxButtons::YesNo);
  }
}

TEST_F(DownloadTest, AnsweringNoLeavesEverythingAsItWas) {
  host.log = kPreviousLog;
  host.answer = BoxResult::No;
  StartCarton("ABC");
  EXPECT_EQ(host.log, kPreviousLog);
  EXPECT_TRUE(host.timerStarts.empty());
  EXPECT_FALSE(procedure.IsBusy());
  EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(DownloadTest, TimerThatCannotStartIsReportedAndNothingIsDisabled) {
  Answer(com1);
  host.timerFails = true;
  StartCarton("ABC");
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, "Impossibile avviare il timer!\n" + kBoxCancelled);
  EXPECT_EQ(host.boxes[1].icon, BoxIcon::Error);
  EXPECT_EQ(host.log,
            (std::vector<std::string>{std::string(68, '-'), "Invio codice controllo astuccio...",
                                      "--> ERRORE: Impossibile avviare il timer!",
                                      "Procedura di scaricamento codice NON completata !"}));
  EXPECT_FALSE(procedure.IsBusy());
  for (const auto& event : host.events)
    EXPECT_NE(event.rfind("disable", 0), 0u) << event;

  // The next confirmed start begins afresh and succeeds.
  host.timerFails = false;
  StartCarton("ABC");
  RunToEnd();
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
}

TEST_F(DownloadTest, MissingPortFailsOnTheFirstTick) {
  host.leafletCode = "LEAF";
  procedure.OnSendLeafletCode();  // there is no COM2
  Tick();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text,
            "Impossibile aprire dispositivo di comunicazione seriale!\n" + kBoxCancelled);
  EXPECT_EQ(LogFrom(2), (std::vector<std::string>{
                            "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!",
                            "Procedura di scaricamento codice NON completata !"}));
  EXPECT_EQ(RunToEnd(), 1);  // the finish tick
  EXPECT_FALSE(procedure.IsBusy());
  EXPECT_EQ(host.events.back(), "enable 1011");
}

TEST_F(DownloadTest, FailedWriteOfAnyCommandEndsTheDownload) {
  const std::vector<std::string> failure = {
      "--> ERRORE: Impossibile inviare dati al dispositivo di comunicazione seriale!",
      "Procedura di scaricamento codice NON completata !"};
  // The first opening command, a code character, the length and the last closing command.
  for (const std::size_t failing : {0u, 7u, 34u, 36u}) {
    platform::FakeDevice& device = devices.Add("COM1");
    Answer(device);
    device.ShortenWrite(failing, 2);
    host.boxes.clear();
    StartCarton("ABC");
    RunToEnd();
    ASSERT_EQ(host.boxes.size(), 2u) << failing;
    EXPECT_EQ(
        host.boxes[1].text,
        "Impossibile inviare dati al dispositivo di comunicazione seriale!\n" + kBoxCancelled);
    EXPECT_EQ(device.Writes().size(), failing + 1) << "nothing is sent after the failure";
    // The failed frame is not logged: the lines before the error are those of the sent frames.
    EXPECT_EQ(LogFrom(host.log.size() - 2), failure);
    EXPECT_EQ(devices.OpenHandles(), 0);
    EXPECT_FALSE(procedure.IsBusy());
  }
}

TEST_F(DownloadTest, ReceiveErrorsFailTheReplyButFramingAndBreakDoNot) {
  Answer(com1);
  com1.RaiseErrors(85, platform::CE_FRAME | platform::CE_BREAK);
  StartCarton("ABC");
  RunToEnd();
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");

  for (const std::uint32_t error :
       {platform::CE_RXPARITY, platform::CE_OVERRUN, platform::CE_RXOVER}) {
    platform::FakeDevice& device = devices.Add("COM1");
    Answer(device);
    device.RaiseErrors(85, error);  // just after the first command went out
    host.boxes.clear();
    StartCarton("ABC");
    RunToEnd();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(
        host.boxes[1].text,
        "Errore durante la ricezione da dispositivo di comunicazione seriale!\n" + kBoxCancelled);
    EXPECT_EQ(LogFrom(2), (std::vector<std::string>{
                              "TX: <ESC>[C",
                              "--> ERRORE: Problemi durante ricezione dati da dispositivo di "
                              "comunicazione seriale!",
                              "Procedura di scaricamento codice NON completata !"}));
  }
}

TEST_F(DownloadTest, DeviceThatHangsUpMidDownloadFailsWithoutLooping) {
  Answer(com1);
  StartCarton("ABC");
  for (int i = 0; i < 10; ++i)
    Tick();
  com1.HangUp();
  const std::uint32_t before = clock.TickCount();
  EXPECT_LE(RunToEnd(), 3);
  EXPECT_LT(clock.TickCount() - before, 200u);
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].icon, BoxIcon::Error);
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice NON completata !");
}

TEST_F(DownloadTest, ClickWhileBusyIsIgnored) {
  Answer(com1);
  StartCarton("ABC");
  Tick();
  const auto boxes = host.boxes.size();
  const auto log = host.log;
  host.leafletCode = "OTHER";
  procedure.OnSendLeafletCode();
  procedure.OnSendCartonCode();
  EXPECT_EQ(host.boxes.size(), boxes);
  EXPECT_EQ(host.log, log);
  EXPECT_EQ(host.timerStarts.size(), 1u);
  RunToEnd();
  EXPECT_EQ(host.log.back(), "Procedura di scaricamento codice terminata correttamente.");
}

}  // namespace
