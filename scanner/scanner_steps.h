// The fixed command exchange with a code-reading scanner, as constant tables: the opening and
// closing steps (a command and the reply it must get), the 32 position commands that carry the
// code one byte each, and the length commands.
#pragma once

#include <array>
#include <cstdint>

// One exchange: a NUL-terminated command and the NUL-terminated reply expected, or no reply.
// A table ends with a record whose command is absent.
struct ScannerStep {
  const char* command;
  const char* reply;
};

extern const ScannerStep kCartonOpeningSteps[];
extern const ScannerStep kCartonClosingSteps[];
extern const ScannerStep kLeafletOpeningSteps[];
extern const ScannerStep kLeafletClosingSteps[];

inline constexpr int kCodePositions = 32;
inline constexpr std::uint8_t kEsc = 0x1B;

// ESC 'N' and the position letter: D..Z for positions 0..22, a..i for 23..31.
inline constexpr auto kPositionCommands = [] {
  std::array<std::array<std::uint8_t, 3>, kCodePositions> table{};
  for (int i = 0; i < kCodePositions; ++i) {
    const int letter = i < 23 ? 'D' + i : 'a' + (i - 23);
    table[i] = {kEsc, 'N', static_cast<std::uint8_t>(letter)};
  }
  return table;
}();

// ESC 'N' 'C' and 0x20 + length, each followed by its NUL.
inline constexpr auto kLengthCommands = [] {
  std::array<std::array<std::uint8_t, 5>, kCodePositions + 1> table{};
  for (int n = 0; n <= kCodePositions; ++n) {
    table[n] = {kEsc, 'N', 'C', static_cast<std::uint8_t>(0x20 + n), 0};
  }
  return table;
}();
