#include "tools/scanner_sim/scanner_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace scanner_sim {

namespace {

// Failures show the bytes in hex rather than as raw control characters.
std::string Hex(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02X ", static_cast<unsigned>(static_cast<unsigned char>(c)));
    text += byte;
  }
  return text;
}

}  // namespace

void PrintTo(const Frame& frame, std::ostream* os) {
  *os << "{kind " << static_cast<int>(frame.kind) << ", bytes " << Hex(frame.bytes) << ", reply";
  for (const std::string& write : frame.reply) {
    *os << " [" << Hex(write) << "]";
  }
  if (frame.downloaded) {
    *os << ", downloaded " << Hex(*frame.downloaded);
  }
  if (frame.abandonedDownload) {
    *os << ", after an abandoned download";
  }
  *os << "}";
}

namespace {

const std::string kEsc = "\x1B";
const std::string kOpen1 = "\x1B[C";
const std::string kOpen2 = "\x1B[B";
const std::string kClose1 = "\x1BIA ";
const std::string kClose2 = "\x1B[A";

// The writes the panel makes to load a code, one frame each.
std::vector<std::string> DownloadWrites(const std::string& code) {
  const std::string letters = "DEFGHIJKLMNOPQRSTUVWXYZabcdefghi";
  std::vector<std::string> writes = {kOpen1, kOpen2};
  for (std::size_t i = 0; i < letters.size(); ++i) {
    writes.push_back(std::string("\x1BN") + letters[i] + (i < code.size() ? code[i] : '\x7F'));
  }
  writes.push_back(std::string("\x1BNC") + static_cast<char>(0x20 + code.size()));
  writes.push_back(kClose1);
  writes.push_back(kClose2);
  return writes;
}

std::string Joined(const std::vector<std::string>& writes) {
  std::string stream;
  for (const std::string& write : writes) {
    stream += write;
  }
  return stream;
}

Frame Answered(const std::string& bytes, std::vector<std::string> reply) {
  return {FrameKind::kAnswered, bytes, std::move(reply), std::nullopt};
}

Frame Unknown(const std::string& bytes) {
  return {FrameKind::kUnknown, bytes, {}, std::nullopt};
}

// What a correct scanner makes of a whole download, frame by frame.
std::vector<Frame> ExpectedFrames(const std::string& code) {
  const std::vector<std::string> writes = DownloadWrites(code);
  std::vector<Frame> frames = {Answered(kOpen1, {"\x1BH\r\n"}), Answered(kOpen2, {"\x1BP\r\n"})};
  for (std::size_t i = 2; i < 34; ++i) {
    frames.push_back({FrameKind::kPosition, writes[i], {}, std::nullopt});
  }
  frames.push_back({FrameKind::kLength, writes[34], {}, std::nullopt});
  frames.push_back(Answered(kClose1, {"\x1BK\r\n"}));
  frames.push_back({FrameKind::kAnswered, kClose2, {"\x1BX\r\n"}, code});
  return frames;
}

TEST(ScannerModelTest, FullDownloadRepliesAndHoldsTheCode) {
  const std::string codes[] = {
      "4006381333931",
      "\xA3"
      "12.50",                            // £12.50
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234",  // 31, the longest the panel sends
      "7",                                // after a longer one: nothing of it may remain
  };
  ScannerModel model;
  for (const std::string& code : codes) {
    SCOPED_TRACE(Hex(code));
    std::vector<Frame> frames;
    for (const std::string& write : DownloadWrites(code)) {
      for (Frame& frame : model.Feed(write)) {
        frames.push_back(std::move(frame));
      }
    }
    EXPECT_EQ(frames, ExpectedFrames(code));
    EXPECT_EQ(model.HeldCode(), code);
  }

  // No new code from a repeated closing, nor from a download without a length command, even one
  // that follows an interrupted download.
  std::vector<std::string> interrupted = DownloadWrites("LOST");
  interrupted.pop_back();
  const std::vector<Frame> frames =
      model.Feed(kClose1 + kClose2 + Joined(interrupted) + kOpen1 + kOpen2 + kClose1 + kClose2);
  EXPECT_EQ(frames.size(), 2u + 36u + 4u);
  EXPECT_TRUE(std::none_of(frames.begin(), frames.end(),
                           [](const Frame& frame) { return frame.downloaded.has_value(); }));
  EXPECT_EQ(model.HeldCode(), "7");
}

TEST(ScannerModelTest, FramesMergedOrSplitAcrossReads) {
  const std::string code = "\xA3PHARMA-0815";
  const std::string stream = Joined(DownloadWrites(code));
  for (const std::size_t chunk : {stream.size(), std::size_t{1}, std::size_t{5}, std::size_t{7}}) {
    SCOPED_TRACE(chunk);
    ScannerModel model;
    std::vector<Frame> frames;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      for (Frame& frame : model.Feed(stream.substr(at, chunk))) {
        frames.push_back(std::move(frame));
      }
    }
    EXPECT_EQ(frames, ExpectedFrames(code));
    EXPECT_EQ(model.HeldCode(), code);
  }
}

TEST(ScannerModelTest, MisbehaviourShapesEveryReply) {
  struct Case {
    const char* name;
    Misbehaviour misbehaviour;
    std::vector<std::string> reply;
  };
  const Case cases[] = {
      {"none", {}, {"\x1BH\r\n"}},
      {"silent", {.silent = true}, {}},
      {"wrong reply", {.wrongReply = true}, {kEsc + "E\r\n"}},
      {"lower case", {.lowerCase = true}, {"\x1Bh\r\n"}},
      {"split", {.split = true}, {"\x1BH", "\r\n"}},
      {"prefix", {.prefix = true}, {"\r\n\x1BH\r\n"}},
      {"suffix", {.suffix = true}, {"\x1BH\r\n\r\n"}},
      {"wrong reply in lower case", {.wrongReply = true, .lowerCase = true}, {kEsc + "e\r\n"}},
      {"split with prefix and suffix",
       {.split = true, .prefix = true, .suffix = true},
       {"\r\n\x1BH", "\r\n\r\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScannerModel model(c.misbehaviour);
    EXPECT_EQ(model.Feed(kOpen1), std::vector<Frame>{Answered(kOpen1, c.reply)});
  }

  // Lower case reaches all four replies, and a misbehaving scanner still takes the code.
  ScannerModel model({.lowerCase = true});
  std::vector<std::string> replies;
  for (const Frame& frame : model.Feed(Joined(DownloadWrites("12")))) {
    for (const std::string& write : frame.reply) {
      replies.push_back(write);
    }
  }
  EXPECT_EQ(replies,
            (std::vector<std::string>{"\x1Bh\r\n", "\x1Bp\r\n", "\x1Bk\r\n", "\x1Bx\r\n"}));
  EXPECT_EQ(model.HeldCode(), "12");
}

TEST(ScannerModelTest, UnknownBytesResynchroniseOnTheNextEsc) {
  struct Case {
    const char* name;
    std::string received;
    std::vector<Frame> frames;
  };
  const Case cases[] = {
      {"text before a command", "xyz" + kOpen1, {Unknown("xyz"), Answered(kOpen1, {"\x1BH\r\n"})}},
      {"unknown letter", "\x1B[Q" + kOpen2, {Unknown("\x1B[Q"), Answered(kOpen2, {"\x1BP\r\n"})}},
      {"ESC twice", kEsc + kOpen1, {Unknown("\x1B"), Answered(kOpen1, {"\x1BH\r\n"})}},
      {"length beyond 32",
       "\x1BNC\x41" + kClose2,
       {Unknown("\x1BNC\x41"), Answered(kClose2, {"\x1BX\r\n"})}},
      {"no position letter",
       "\x1BNA1" + kOpen1,
       {Unknown("\x1BNA1"), Answered(kOpen1, {"\x1BH\r\n"})}},
      {"closing misspelt",
       "\x1BIB " + kOpen2,
       {Unknown("\x1BIB "), Answered(kOpen2, {"\x1BP\r\n"})}},
      {"junk with no ESC after it", "\r\n", {Unknown("\r\n")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScannerModel model;
    EXPECT_EQ(model.Feed(c.received), c.frames);
  }

  // Noise on the line in the middle of a download costs nothing but its own bytes.
  std::vector<std::string> writes = DownloadWrites("NOISE");
  writes.insert(writes.begin() + 5, "\r\n\x1B\x1B");
  ScannerModel model;
  const std::vector<Frame> frames = model.Feed(Joined(writes));
  ASSERT_EQ(frames.size(), 40u);
  EXPECT_EQ(frames[5], Unknown("\r\n"));
  EXPECT_EQ(frames[6], Unknown("\x1B"));
  EXPECT_EQ(frames[7], Unknown("\x1B"));
  EXPECT_EQ(model.HeldCode(), "NOISE");
}

// The scanner is in programming mode from ESC [ C to ESC [ A; a download that ends any other way
// is reported once, by the frame of the next opening or by the hang-up.
TEST(ScannerModelTest, ReportsADownloadLeftInProgrammingMode) {
  std::vector<std::string> cut = DownloadWrites("CUT");
  cut.resize(10);  // the opening exchange and eight positions
  const std::string upToLength = Joined(DownloadWrites("1234")).substr(0, 2 * 3 + 33 * 4);
  struct Case {
    const char* name;
    std::string received;
    long abandonedFrames;
    bool leftAtHangUp;
  };
  const Case cases[] = {
      {"nothing received", "", 0, false},
      {"a whole download", Joined(DownloadWrites("OK")), 0, false},
      {"cut after eight positions", Joined(cut), 0, true},
      {"only the first opening command", kOpen1, 0, true},
      {"the opening exchange only", kOpen1 + kOpen2, 0, true},
      {"up to the length command", upToLength, 0, true},
      {"up to the first closing command", upToLength + kClose1, 0, true},
      // A closing with no length command ends programming mode, though it holds no new code.
      {"opened and closed", kOpen1 + kOpen2 + kClose1 + kClose2, 0, false},
      {"closings alone", kClose1 + kClose2, 0, false},
      {"a whole download after a cut one", Joined(cut) + Joined(DownloadWrites("OK")), 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScannerModel model;
    const std::vector<Frame> frames = model.Feed(c.received);
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [](const Frame& frame) { return frame.abandonedDownload; }),
              c.abandonedFrames);
    EXPECT_EQ(model.HangUp(), c.leftAtHangUp);
    EXPECT_FALSE(model.HangUp()) << "reported twice";
  }

  // Each opening that comes before a closing tells of the download before it, here the cut one
  // and then the lone opening command; the download after them goes through as usual.
  ScannerModel model;
  const std::vector<Frame> frames =
      model.Feed(Joined(cut) + kOpen1 + Joined(DownloadWrites("AGAIN")));
  ASSERT_EQ(frames.size(), 10u + 1u + 37u);
  EXPECT_FALSE(frames[0].abandonedDownload);
  EXPECT_EQ(frames[10].bytes, kOpen1);
  EXPECT_TRUE(frames[10].abandonedDownload);
  EXPECT_TRUE(frames[11].abandonedDownload);
  EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                          [](const Frame& frame) { return frame.abandonedDownload; }),
            2);
  EXPECT_EQ(frames.back().downloaded, std::optional<std::string>("AGAIN"));
  EXPECT_FALSE(model.HangUp());
}

}  // namespace

}  // namespace scanner_sim
