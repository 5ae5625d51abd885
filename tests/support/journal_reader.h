// The system journal as a test reads it back: through journalctl, the way an inspector would.
//
//   JournalAbsence         empty when a journal serves its socket here and journalctl is
//                          installed, else why not, in one line for GTEST_SKIP()
//   ReadCodepanelEntries   `journalctl -t codepanel -o json MATCH`, asked again until an entry
//                          comes or the time is up; one JSON object a line
//   JsonMember             "NAME":"value" as journalctl's JSON writes a field
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace test_support {

std::string JournalAbsence();

// match is one journalctl match, FIELD=VALUE.
std::vector<std::string> ReadCodepanelEntries(const std::string& match,
                                              std::chrono::milliseconds limit);

std::string JsonMember(const std::string& name, const std::string& value);

}  // namespace test_support
