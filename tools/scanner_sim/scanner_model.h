// ScannerModel: the scanner's side of the code download, with no I/O and no clock.
//
// Received bytes are cut into frames as they arrive, whatever the reads merged or split. Four
// commands get a reply; the 32 position commands (ESC N p c) and the length command
// (ESC N C 0x20+L) are taken silently. ESC [ C begins a download, ESC [ A ends it: the scanner
// then holds the first L code bytes. Bytes that fit no frame are reported as unknown, up to the
// next ESC, where parsing starts again.
//
// From ESC [ C to ESC [ A the scanner is in programming mode. A download that ends without its
// ESC [ A, because a new ESC [ C comes or the client closes the line, is reported once.
//
// Replies come out already spoilt by the misbehaviour options and cut into the writes to make;
// when and how fast to make them is the caller's business.
//
//   Feed      takes received bytes; returns the frames they complete, each with its reply
//   HangUp    the client closed the line; says whether that left a download open
//   HeldCode  the code of the last complete download (Windows-1252 bytes)
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scanner_sim {

struct Misbehaviour {
  bool silent = false;      // never reply
  bool wrongReply = false;  // right length, wrong letter after ESC
  bool lowerCase = false;   // letter after ESC in lower case
  bool split = false;       // reply in two writes
  bool prefix = false;      // CR LF before the reply, in the same write
  bool suffix = false;      // CR LF after the reply, in the same write
};

enum class FrameKind : std::uint8_t {
  kUnknown = 0,   // bytes that fit no frame
  kAnswered = 1,  // one of the four commands that get a reply
  kPosition = 2,  // one code byte at its position
  kLength = 3,    // the code length
};

struct Frame {
  FrameKind kind = FrameKind::kUnknown;
  std::string bytes;               // as received
  std::vector<std::string> reply;  // the writes to make, in order; none when there is no reply
  std::optional<std::string> downloaded;  // the code now held, when this frame ended a download
  bool abandonedDownload = false;  // this opening came before the previous download's closing

  bool operator==(const Frame&) const = default;
};

class ScannerModel {
 public:
  explicit ScannerModel(const Misbehaviour& misbehaviour = {}) : m_misbehaviour(misbehaviour) {}

  std::vector<Frame> Feed(std::string_view received);
  // True when a download was open, not yet reported as abandoned.
  bool HangUp();
  const std::string& HeldCode() const { return m_heldCode; }

 private:
  void TakeFrame(FrameKind kind, std::size_t size, int index, std::vector<Frame>& frames);
  std::vector<std::string> ReplyWrites(std::string_view reply) const;

  Misbehaviour m_misbehaviour;
  std::string m_pending;  // received bytes not yet part of a frame
  std::array<char, 32> m_positions{};
  int m_length = -1;             // -1 until the length command of this download
  bool m_bDownloadOpen = false;  // in programming mode, and not yet reported as left there
  std::string m_heldCode;
};

}  // namespace scanner_sim
