#include "scanner/journal_fields.h"

#include <algorithm>
#include <cstdint>

#include "platform/text/cp1252.h"
#include "scanner/comm_log.h"

namespace {

// syslog's levels, which the journal's PRIORITY field takes.
constexpr int kPriorityError = 3;
constexpr int kPriorityInfo = 6;

std::string LogForm(const std::string& code) {
  return platform::Cp1252ToUtf8(RenderBytes(reinterpret_cast<const std::uint8_t*>(code.c_str())));
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return platform::Cp1252ToUtf8(text);
}

}  // namespace

std::vector<std::string> JournalFields(const DownloadRecord& record, const std::string& devicePath,
                                       const std::string& user) {
  const std::string kind = record.kind == CodeKind::Leaflet ? "leaflet" : "carton";
  const std::string code = LogForm(record.code);
  const std::string outcome = OneLine(record.outcome);
  const std::string duration = std::to_string(record.durationMs);

  std::string message = kind + " code \"" + code + "\" " + (record.loaded ? "" : "not ") +
                        "loaded into " + record.port;
  if (!devicePath.empty())
    message += " (" + devicePath + ")";
  message += " by " + user + " in " + duration + " ms: " + outcome;

  return {
      "MESSAGE=" + message,
      "PRIORITY=" + std::to_string(record.loaded ? kPriorityInfo : kPriorityError),
      std::string("SYSLOG_IDENTIFIER=") + kJournalIdentifier,
      "CODEPANEL_KIND=" + kind,
      "CODEPANEL_CODE=" + code,
      "CODEPANEL_PORT=" + record.port,
      "CODEPANEL_DEVICE=" + devicePath,
      "CODEPANEL_OUTCOME=" + outcome,
      std::string("CODEPANEL_LOADED=") + (record.loaded ? "yes" : "no"),
      "CODEPANEL_DURATION_MS=" + duration,
      "CODEPANEL_USER=" + user,
  };
}
