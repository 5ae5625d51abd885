// The system journal on Windows: there is none that keeps entries of this kind, so every entry
// is refused with that cause, and codeload says once that the journal cannot be reached instead
// of dropping the record without a word. An event-log backend would take this file's place.
#include "platform/journal/journal.h"

namespace platform {

namespace {

class NoSystemJournal final : public Journal {
 public:
  bool Send(const std::vector<std::string>&, std::string& cause) override {
    cause = "no system journal on Windows";
    return false;
  }
};

}  // namespace

Journal& SystemJournal() {
  static NoSystemJournal journal;
  return journal;
}

}  // namespace platform
