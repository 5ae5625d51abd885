// The system journal, where a station keeps the history of what it did. An entry is a list of
// "NAME=value" fields: MESSAGE, PRIORITY and SYSLOG_IDENTIFIER as every program writes them, and
// any of the program's own. One backend per system, chosen by CMake: systemd's journal on Linux
// (systemd_journal.cpp).
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
