#include "tools/scanner_sim/scanner_model.h"

#include <cctype>
#include <utility>

namespace scanner_sim {

namespace {

constexpr char kEsc = '\x1B';
constexpr char kUnused = '\x7F';  // the code byte the panel sends for positions beyond the code

struct AnsweredCommand {
  std::string_view command;
  std::string_view reply;
};

// Kept apart from the panel's own step tables on purpose: the simulator must catch a fault there.
constexpr AnsweredCommand kAnsweredCommands[] = {
    {"\x1B[C", "\x1BH\r\n"},
    {"\x1B[B", "\x1BP\r\n"},
    {"\x1BIA ", "\x1BK\r\n"},
    {"\x1B[A", "\x1BX\r\n"},
};
constexpr int kBeginDownload = 0;
constexpr int kEndDownload = 3;

constexpr std::string_view kCodeCommand = "\x1BN";
constexpr char kLengthLetter = 'C';
constexpr std::string_view kPositionLetters = "DEFGHIJKLMNOPQRSTUVWXYZabcdefghi";
constexpr int kMaxLength = static_cast<int>(kPositionLetters.size());
constexpr char kLengthBase = 0x20;

constexpr char kWrongLetter = 'E';
constexpr std::string_view kLineEnd = "\r\n";

enum class MatchStatus { kFrame, kNeedMore, kNoFrame };

struct Match {
  MatchStatus status = MatchStatus::kNoFrame;
  FrameKind kind = FrameKind::kUnknown;
  std::size_t size = 0;
  int index = 0;  // the answered command, the position or the length
};

// What the bytes at the front of the stream, starting with ESC, amount to.
Match MatchFrame(std::string_view bytes) {
  bool partial = false;
  for (int i = 0; i < static_cast<int>(std::size(kAnsweredCommands)); ++i) {
    const std::string_view command = kAnsweredCommands[i].command;
    if (bytes.starts_with(command)) {
      return {MatchStatus::kFrame, FrameKind::kAnswered, command.size(), i};
    }
    if (command.starts_with(bytes)) {
      partial = true;
    }
  }
  if (kCodeCommand.starts_with(bytes.substr(0, kCodeCommand.size()))) {
    if (bytes.size() <= kCodeCommand.size()) {
      return {MatchStatus::kNeedMore};
    }
    const char letter = bytes[2];
    const std::size_t position = kPositionLetters.find(letter);
    if (letter != kLengthLetter && position == std::string_view::npos) {
      return {};
    }
    if (bytes.size() == 3) {
      return {MatchStatus::kNeedMore};
    }
    if (position != std::string_view::npos) {
      return {MatchStatus::kFrame, FrameKind::kPosition, 4, static_cast<int>(position)};
    }
    const int length = bytes[3] - kLengthBase;
    if (length >= 0 && length <= kMaxLength) {
      return {MatchStatus::kFrame, FrameKind::kLength, 4, length};
    }
  }
  return {partial ? MatchStatus::kNeedMore : MatchStatus::kNoFrame};
}

}  // namespace

std::vector<Frame> ScannerModel::Feed(std::string_view received) {
  m_pending.append(received);
  std::vector<Frame> frames;
  while (!m_pending.empty()) {
    const Match found = m_pending.front() == kEsc ? MatchFrame(m_pending) : Match{};
    if (found.status == MatchStatus::kNeedMore) {
      break;
    }
    if (found.status == MatchStatus::kFrame) {
      TakeFrame(found.kind, found.size, found.index, frames);
      continue;
    }
    // Junk goes out at once, without waiting to see where it ends; a frame can only start at ESC.
    const std::size_t next = m_pending.find(kEsc, 1);
    TakeFrame(FrameKind::kUnknown, next == std::string::npos ? m_pending.size() : next, 0, frames);
  }
  return frames;
}

void ScannerModel::TakeFrame(FrameKind kind, std::size_t size, int index,
                             std::vector<Frame>& frames) {
  Frame frame{kind, m_pending.substr(0, size), {}, std::nullopt};
  m_pending.erase(0, size);
  switch (kind) {
    case FrameKind::kAnswered:
      if (index == kBeginDownload) {
        frame.abandonedDownload = m_bDownloadOpen;
        m_bDownloadOpen = true;
        m_positions.fill(kUnused);
        m_length = -1;
      } else if (index == kEndDownload) {
        m_bDownloadOpen = false;
        if (m_length >= 0) {
          m_heldCode.assign(m_positions.data(), static_cast<std::size_t>(m_length));
          m_length = -1;
          frame.downloaded = m_heldCode;
        }
      }
      frame.reply = ReplyWrites(kAnsweredCommands[index].reply);
      break;
    case FrameKind::kPosition:
      m_positions[static_cast<std::size_t>(index)] = frame.bytes[3];
      break;
    case FrameKind::kLength:
      m_length = index;
      break;
    case FrameKind::kUnknown:
      break;
  }
  frames.push_back(std::move(frame));
}

bool ScannerModel::HangUp() {
  // The scanner itself knows nothing of the line: it stays as it is, and only the report is
  // made once.
  const bool open = m_bDownloadOpen;
  m_bDownloadOpen = false;
  return open;
}

std::vector<std::string> ScannerModel::ReplyWrites(std::string_view reply) const {
  if (m_misbehaviour.silent) {
    return {};
  }
  std::string answer(reply);
  if (m_misbehaviour.wrongReply) {
    answer[1] = kWrongLetter;
  }
  if (m_misbehaviour.lowerCase) {
    answer[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(answer[1])));
  }
  std::string write;
  if (m_misbehaviour.prefix) {
    write += kLineEnd;
  }
  write += answer;
  if (m_misbehaviour.suffix) {
    write += kLineEnd;
  }
  if (!m_misbehaviour.split) {
    return {write};
  }
  const std::size_t half = write.size() / 2;
  return {write.substr(0, half), write.substr(half)};
}

}  // namespace scanner_sim
