// scanner-sim's command line: which options combine, and which are refused.
#include "tools/scanner_sim/sim_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scanner_sim {

namespace {

ParseResult Parse(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
  std::vector<const char*> argv = {"scanner-sim"};
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(SimOptionsTest, ReplyOptionsCombineExceptWithSilent) {
  struct Case {
    std::vector<std::string> args;
    ParseResult result;
    std::vector<std::string> named;  // what the error names
  };
  const Case cases[] = {
      {{}, ParseResult::kRun, {}},
      {{"--silent"}, ParseResult::kRun, {}},
      {{"--silent", "--link", "/tmp/sim"}, ParseResult::kRun, {}},
      {{"--wrong-reply", "--lower-case"}, ParseResult::kRun, {}},
      {{"--split", "--prefix", "--suffix", "--delay", "250"}, ParseResult::kRun, {}},
      {{"--split", "--split"}, ParseResult::kRun, {}},
      {{"--silent", "--wrong-reply"}, ParseResult::kBadUsage, {"--silent", "--wrong-reply"}},
      {{"--lower-case", "--silent"}, ParseResult::kBadUsage, {"--silent", "--lower-case"}},
      {{"--silent", "--split"}, ParseResult::kBadUsage, {"--silent", "--split"}},
      {{"--prefix", "--link", "/tmp/sim", "--silent"},
       ParseResult::kBadUsage,
       {"--silent", "--prefix"}},
      {{"--silent", "--suffix"}, ParseResult::kBadUsage, {"--silent", "--suffix"}},
      // Even a delay of nothing says that replies were expected.
      {{"--delay", "0", "--silent"}, ParseResult::kBadUsage, {"--silent", "--delay"}},
      {{"--link", "/tmp/a", "--link", "/tmp/b"}, ParseResult::kBadUsage, {"--link given twice"}},
      {{"--delay", "10", "--delay", "20"}, ParseResult::kBadUsage, {"--delay given twice"}},
      {{"--delay", "60001"}, ParseResult::kBadUsage, {"--delay", "'60001'"}},
      {{"--delay", "-1"}, ParseResult::kBadUsage, {"'-1'"}},
      {{"--link", ""}, ParseResult::kBadUsage, {"--link needs a path"}},
      {{"--link"}, ParseResult::kBadUsage, {"--link needs a value"}},
      {{"--quiet"}, ParseResult::kBadUsage, {"'--quiet'"}},
      {{"--silent", "--split", "--help"}, ParseResult::kHelp, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    SimOptions options;
    std::string error;
    EXPECT_EQ(Parse(c.args, options, error), c.result) << error;
    for (const std::string& part : c.named)
      EXPECT_NE(error.find(part), std::string::npos) << error;
  }

  // What a run takes from its options.
  SimOptions options;
  std::string error;
  ASSERT_EQ(Parse({"--lower-case", "--link", "/tmp/sim", "--wrong-reply", "--delay", "60000"},
                  options, error),
            ParseResult::kRun)
      << error;
  EXPECT_EQ(options.linkPath, "/tmp/sim");
  EXPECT_EQ(options.delayMs, 60000u);
  EXPECT_TRUE(options.misbehaviour.wrongReply);
  EXPECT_TRUE(options.misbehaviour.lowerCase);
  EXPECT_FALSE(options.misbehaviour.silent || options.misbehaviour.split ||
               options.misbehaviour.prefix || options.misbehaviour.suffix);
}

}  // namespace

}  // namespace scanner_sim
