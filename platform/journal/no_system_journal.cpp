// No system journal: a build for a system with neither systemd's journal nor an event log
// (CODEPANEL_JOURNAL_SINK=none). Every entry is refused with that cause, so that --journal says
// once that the journal cannot be reached instead of dropping the record without a word.
#include "platform/journal/journal.h"

namespace platform {

namespace {

class NoSystemJournal final : public Journal {
 public:
  bool Send(const std::vector<std::string>&, std::string& cause) override {
    cause = "no system journal in this build";
    return false;
  }
};

}  // namespace

Journal& SystemJournal() {
  static NoSystemJournal journal;
  return journal;
}

}  // namespace platform
