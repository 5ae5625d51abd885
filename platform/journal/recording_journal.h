// A journal for tests: keeps every entry it is sent, or refuses them all with a given cause.
#pragma once

#include <string>
#include <vector>

#include "platform/journal/journal.h"

namespace platform {

class RecordingJournal final : public Journal {
 public:
  bool Send(const std::vector<std::string>& fields, std::string& cause) override {
    ++sends;
    if (!failure.empty()) {
      cause = failure;
      return false;
    }
    entries.push_back(fields);
    return true;
  }

  std::string failure;  // refuses every entry with this cause when not empty
  int sends = 0;
  std::vector<std::vector<std::string>> entries;
};

}  // namespace platform
