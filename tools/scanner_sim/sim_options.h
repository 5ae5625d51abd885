// The simulator's command line: where to link the pseudo-terminal and how to misbehave.
//
//   ParseOptions  fills the options from argv; says whether to run, show help or refuse
//   kUsage        the help text
#pragma once

#include <string>

#include "tools/scanner_sim/scanner_model.h"

namespace scanner_sim {

struct SimOptions {
  std::string linkPath;  // empty: no link
  unsigned delayMs = 0;
  Misbehaviour misbehaviour;
};

enum class ParseResult { kRun, kHelp, kBadUsage };

// On kBadUsage, error says what was wrong.
ParseResult ParseOptions(int argc, const char* const* argv, SimOptions& options,
                         std::string& error);

extern const char kUsage[];

}  // namespace scanner_sim
