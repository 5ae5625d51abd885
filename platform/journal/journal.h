// The system journal, where a station keeps the history of what it did: the sinks of the load
// record, whose fields are made above them (scanner/journal_fields.h). An entry is a list of
// "NAME=value" fields: MESSAGE, PRIORITY and SYSLOG_IDENTIFIER as every program writes them, and
// any of the program's own. One sink per system, chosen by CMake (CODEPANEL_JOURNAL_SINK):
// systemd's journal on Linux (systemd_journal.cpp), the Application event log on Windows
// (win32_event_log.cpp), or none (no_system_journal.cpp).
//
//   Journal         sends one entry; false with the cause when the journal cannot be reached
//   SystemJournal   this machine's journal
#pragma once

#include <string>
#include <vector>

namespace platform {

class Journal {
 public:
  virtual ~Journal() = default;
  // Each field is "NAME=value" with a UTF-8 value. On false, cause tells why in English.
  virtual bool Send(const std::vector<std::string>& fields, std::string& cause) = 0;
};

Journal& SystemJournal();

}  // namespace platform
