// codeload's parts that every system builds alike: the command line, the notice on a control
// byte, and the tick loop on virtual time.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "tools/codeload/command_line.h"
#include "tools/codeload/tick_loop.h"

namespace {

bool Parse(const std::vector<std::string>& args, codeload::Request& request, std::string& error) {
  std::vector<const char*> argv = {"codeload"};
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  return codeload::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), request, error);
}

TEST(CodeloadCommandLine, TakesTheKindTheCodeAndThePorts) {
  codeload::Request request;
  std::string error;
  // A Windows device name is a path like any other; the code goes from UTF-8 to Windows-1252.
  ASSERT_TRUE(Parse({"--port", R"(COM2=\\.\COM7)", "--yes", "--journal", "leaflet", "AB\u00A3"},
                    request, error))
      << error;
  EXPECT_EQ(request.kind, CodeKind::Leaflet);
  EXPECT_EQ(request.code, "AB\xA3");
  EXPECT_TRUE(request.assumeYes);
  EXPECT_TRUE(request.journal);
  ASSERT_EQ(request.ports.size(), 1u);
  EXPECT_EQ(request.ports[0].name, "COM2");
  EXPECT_EQ(request.ports[0].path, R"(\\.\COM7)");

  struct Refusal {
    std::vector<std::string> args;
    std::string error;
  };
  const Refusal refusals[] = {
      {{"carton"}, "missing CODE"},
      {{"box", "X"}, "unknown kind of code 'box': carton or leaflet"},
      {{"--port", "COM5=X", "carton", "X"}, "bad --port value 'COM5=X'"},
      {{"--ports-file"}, "--ports-file needs a PATH"},
      {{"carton", "AB\u4E2D"}, "Windows-1252 cannot represent"},
      {{"--list-ports", "carton"}, "--list-ports takes no kind of code"},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(testing::PrintToString(refusal.args));
    codeload::Request refused;
    std::string why;
    EXPECT_FALSE(Parse(refusal.args, refused, why));
    EXPECT_NE(why.find(refusal.error), std::string::npos) << why;
  }
}

TEST(CodeloadCommandLine, ControlByteNoticeNamesTheFirstOne) {
  struct Case {
    std::string code;
    std::string notice;
  };
  const std::string tail = "; control bytes (00-1F, 7F) cannot be sent";
  const Case cases[] = {
      {"AB\x1B"
       "CD",
       "codeload: CODE holds <ESC> at position 3" + tail},
      {"\tAB", "codeload: CODE holds <TAB> at position 1" + tail},
      {"ABC\x7F", "codeload: CODE holds <DEL> at position 4" + tail},
      {"A\x1F\x1B", "codeload: CODE holds <US> at position 2" + tail},
      {"12\r\n", "codeload: CODE holds <CR> at position 3" + tail},
      // Space, tilde and the bytes above 7F, printable or not, are code characters.
      {" ~\x80\x81\xA0\xFF", ""},
      {"4006381333931", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.code));
    EXPECT_EQ(codeload::ControlByteNotice(c.code), c.notice);
  }
}

// The loader's tick loop on virtual time: each tick is due a period after the previous one was
// due, whatever the tick's own work took, and a late tick never brings a burst.
TEST(CodeloadTickLoop, KeepsAFixedScheduleWithoutCatchingUp) {
  struct Case {
    const char* name;
    std::uint32_t start;
    std::vector<std::uint32_t> work;  // what each tick takes, in ms
    std::vector<std::uint32_t> firedAt;
  };
  const Case cases[] = {
      {"work shorter than a period", 1000, {20, 20, 20, 0}, {1030, 1060, 1090, 1120}},
      {"work as long as a period", 1000, {30, 30, 30, 0}, {1030, 1060, 1090, 1120}},
      // A 1 s pause inside the second tick: the third fires at once, then every 30 ms again.
      {"one long tick", 1000, {5, 1000, 5, 5, 0}, {1030, 1060, 2060, 2090, 2120}},
      // Late but less than a period behind: fires at once and stays on the schedule.
      {"overrun by less than a period", 1000, {5, 40, 5, 0}, {1030, 1060, 1100, 1120}},
      {"overrun by a whole period", 1000, {5, 60, 5, 0}, {1030, 1060, 1120, 1150}},
      {"clock wrapping around", 0xFFFFFFF0u, {10, 10, 10, 0}, {0x0000000Eu, 0x2Cu, 0x4Au, 0x68u}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::VirtualClock clock(c.start);
    std::vector<std::uint32_t> fired;
    codeload::RunTicks(
        clock, c.start + 30, 30, [&] { return fired.size() < c.work.size(); },
        [&] {
          fired.push_back(clock.TickCount());
          clock.Advance(c.work[fired.size() - 1]);
        });
    EXPECT_EQ(fired, c.firedAt);
  }
}

}  // namespace
