// The system journal on Linux: systemd-journald's native socket, through libsystemd.
//
// sd_journal_sendv counts a missing socket (no journald on this machine) as success, so that
// case is looked for first; a socket nobody serves any more comes back from the send itself.
// The entry carries no CODE_FILE/CODE_LINE of this file: they would say nothing of the download.
#define SD_JOURNAL_SUPPRESS_LOCATION

#include <locale.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <systemd/sd-journal.h>

#include <cerrno>

#include "platform/journal/journal.h"
#include "platform/text/error_text.h"

namespace platform {

namespace {

constexpr char kJournalSocket[] = "/run/systemd/journal/socket";

class SystemdJournal final : public Journal {
 public:
  bool Send(const std::vector<std::string>& fields, std::string& cause) override {
    struct stat socket {};
    if (::stat(kJournalSocket, &socket) != 0) {
      cause = std::string(kJournalSocket) + ": " + platform::ErrorText(errno);
      return false;
    }
    std::vector<iovec> parts;
    parts.reserve(fields.size());
    for (const std::string& field : fields)
      parts.push_back({const_cast<char*>(field.data()), field.size()});
    const int result = ::sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
    if (result < 0) {
      cause = platform::ErrorText(-result);
      return false;
    }
    return true;
  }
};

}  // namespace

Journal& SystemJournal() {
  static SystemdJournal journal;
  return journal;
}

}  // namespace platform
