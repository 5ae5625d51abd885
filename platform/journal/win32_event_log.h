// The system journal on Windows: the Application event log, under the event source "codepanel".
// An entry becomes one event: error type when its PRIORITY is err or worse (a failed load),
// information otherwise; its text is the MESSAGE on the first line, then every other field as
// "NAME=value", one a line, in the entry's order. The source is registered on the first entry and
// kept until the journal goes away.
//
// The three system calls are reached through EventLogCalls, so that the whole path from an entry
// to ReportEventW's arguments is tested with a recording stand-in: wine keeps no event log.
//
//   EventLogCalls         RegisterEventSourceW, ReportEventW, DeregisterEventSource
//   SystemEventLogCalls   the system's own
//   EventLogJournal       the Journal on top of them
//   EventType / EventText an entry's event type and its text (UTF-16)
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/journal/journal.h"

namespace platform {

inline constexpr wchar_t kEventSource[] = L"codepanel";
inline constexpr DWORD kLoadEventId = 1;

struct EventLogCalls {
  HANDLE(WINAPI* registerSource)(LPCWSTR server, LPCWSTR source);
  BOOL(WINAPI* report)
  (HANDLE log, WORD type, WORD category, DWORD eventId, PSID user, WORD stringCount, DWORD dataSize,
   LPCWSTR* strings, LPVOID data);
  BOOL(WINAPI* deregister)(HANDLE log);
};

EventLogCalls SystemEventLogCalls();

WORD EventType(const std::vector<std::string>& fields);
std::wstring EventText(const std::vector<std::string>& fields);

class EventLogJournal final : public Journal {
 public:
  explicit EventLogJournal(EventLogCalls calls) : m_calls(calls) {}
  ~EventLogJournal() override;
  EventLogJournal(const EventLogJournal&) = delete;
  EventLogJournal& operator=(const EventLogJournal&) = delete;

  bool Send(const std::vector<std::string>& fields, std::string& cause) override;

 private:
  EventLogCalls m_calls;
  HANDLE m_hLog = nullptr;
};

}  // namespace platform
