#include "tools/scanner_sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

namespace scanner_sim {

namespace {

// Long enough for any time-out test; short enough that a typo does not hang a script for hours.
constexpr unsigned kMaxDelayMs = 60000;

struct Flag {
  std::string_view name;
  bool Misbehaviour::*member;
};

constexpr Flag kFlags[] = {
    {"--silent", &Misbehaviour::silent},        {"--wrong-reply", &Misbehaviour::wrongReply},
    {"--lower-case", &Misbehaviour::lowerCase}, {"--split", &Misbehaviour::split},
    {"--prefix", &Misbehaviour::prefix},        {"--suffix", &Misbehaviour::suffix},
};

// Options that make no sense together. A silent scanner never replies, so nothing is left for the
// reply options to shape or to delay; all the others combine (a wrong letter in lower case, a
// split reply between CR LF pairs).
struct Conflict {
  std::string_view first;
  std::string_view second;
  std::string_view why;
};

constexpr std::string_view kNeverReplies = "a silent scanner never replies";
constexpr Conflict kConflicts[] = {
    {"--silent", "--wrong-reply", kNeverReplies}, {"--silent", "--lower-case", kNeverReplies},
    {"--silent", "--split", kNeverReplies},       {"--silent", "--prefix", kNeverReplies},
    {"--silent", "--suffix", kNeverReplies},      {"--silent", "--delay", kNeverReplies},
};

bool Given(const std::vector<std::string_view>& given, std::string_view name) {
  return std::find(given.begin(), given.end(), name) != given.end();
}

bool ParseDelay(std::string_view text, unsigned& ms) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
    return false;
  }
  if (value > kMaxDelayMs) {
    return false;
  }
  ms = value;
  return true;
}

}  // namespace

const char kUsage[] =
    "Usage: scanner-sim [options]\n"
    "Opens a pseudo-terminal that answers as a code-reading scanner, prints its path as the\n"
    "first line, then logs every frame received (RX), every reply sent (TX) and each code\n"
    "downloaded. Runs until interrupted.\n"
    "\n"
    "  --link PATH     also make PATH, which must not exist yet, a symbolic link to the\n"
    "                  pseudo-terminal (removed on exit)\n"
    "  --delay MS      wait MS milliseconds before each reply (default 0, at most 60000)\n"
    "  --silent        never reply\n"
    "  --wrong-reply   reply with the wrong letter after ESC\n"
    "  --lower-case    reply with the letter after ESC in lower case\n"
    "  --split         send each reply in two halves, 100 ms apart\n"
    "  --prefix        send CR LF before each reply\n"
    "  --suffix        send CR LF after each reply\n"
    "  --help          show this text\n"
    "\n"
    "The reply options combine, except with --silent. A download that ends without its\n"
    "closing exchange (the client closes the line, or opens a new download) is told in a line.\n"
    "Exit status: 0 when interrupted, 1 when the pseudo-terminal fails, 2 on a usage error or\n"
    "a --link PATH that exists already.\n";

ParseResult ParseOptions(int argc, const char* const* argv, SimOptions& options,
                         std::string& error) {
  std::vector<std::string_view> given;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      return ParseResult::kHelp;
    }
    bool known = false;
    for (const Flag& flag : kFlags) {
      if (arg == flag.name) {
        options.misbehaviour.*flag.member = true;
        known = true;
      }
    }
    if (known) {
      given.push_back(arg);
      continue;
    }
    if (arg == "--link" || arg == "--delay") {
      // A second value would silently replace the first.
      if (Given(given, arg)) {
        error = std::string(arg) + " given twice";
        return ParseResult::kBadUsage;
      }
      given.push_back(arg);
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return ParseResult::kBadUsage;
      }
      const std::string_view value = argv[++i];
      if (arg == "--link") {
        if (value.empty()) {
          error = "--link needs a path";
          return ParseResult::kBadUsage;
        }
        options.linkPath = value;
      } else if (!ParseDelay(value, options.delayMs)) {
        error = "--delay takes milliseconds from 0 to " + std::to_string(kMaxDelayMs) + ", not '" +
                std::string(value) + "'";
        return ParseResult::kBadUsage;
      }
      continue;
    }
    error = "unknown argument '" + std::string(arg) + "'";
    return ParseResult::kBadUsage;
  }
  for (const Conflict& conflict : kConflicts) {
    if (Given(given, conflict.first) && Given(given, conflict.second)) {
      error = std::string(conflict.first) + " and " + std::string(conflict.second) +
              " cannot be combined: " + std::string(conflict.why);
      return ParseResult::kBadUsage;
    }
  }
  return ParseResult::kRun;
}

}  // namespace scanner_sim
