#include "platform/journal/win32_event_log.h"

#include <string_view>

#include "platform/serial/open_failure.h"

namespace platform {

namespace {

// syslog's levels, as the entry's PRIORITY gives them: 0 emerg .. 3 err are failures.
constexpr int kPriorityError = 3;

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  }
  return wide;
}

bool Split(const std::string& field, std::string_view& name, std::string_view& value) {
  const std::size_t equals = field.find('=');
  if (equals == std::string::npos)
    return false;
  name = std::string_view(field).substr(0, equals);
  value = std::string_view(field).substr(equals + 1);
  return true;
}

}  // namespace

EventLogCalls SystemEventLogCalls() {
  return {RegisterEventSourceW, ReportEventW, DeregisterEventSource};
}

WORD EventType(const std::vector<std::string>& fields) {
  for (const std::string& field : fields) {
    std::string_view name;
    std::string_view value;
    if (Split(field, name, value) && name == "PRIORITY" && value.size() == 1 && value[0] >= '0' &&
        value[0] - '0' <= kPriorityError)
      return EVENTLOG_ERROR_TYPE;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

// The event viewer shows the text as it is, line by line; the source and the type already say
// what SYSLOG_IDENTIFIER and PRIORITY would, so they are not repeated.
std::wstring EventText(const std::vector<std::string>& fields) {
  std::string message;
  std::string rest;
  for (const std::string& field : fields) {
    std::string_view name;
    std::string_view value;
    if (!Split(field, name, value))
      continue;
    if (name == "MESSAGE") {
      message = value;
    } else if (name != "PRIORITY" && name != "SYSLOG_IDENTIFIER") {
      rest += "\r\n";
      rest += field;
    }
  }
  return Wide(message + rest);
}

EventLogJournal::~EventLogJournal() {
  if (m_hLog != nullptr)
    m_calls.deregister(m_hLog);
}

bool EventLogJournal::Send(const std::vector<std::string>& fields, std::string& cause) {
  if (m_hLog == nullptr) {
    m_hLog = m_calls.registerSource(nullptr, kEventSource);
    if (m_hLog == nullptr) {
      cause = "event source codepanel: " + DeviceErrorText(static_cast<int>(GetLastError()));
      return false;
    }
  }
  const std::wstring text = EventText(fields);
  LPCWSTR strings[] = {text.c_str()};
  if (!m_calls.report(m_hLog, EventType(fields), 0, kLoadEventId, nullptr, 1, 0, strings,
                      nullptr)) {
    cause = "Application event log: " + DeviceErrorText(static_cast<int>(GetLastError()));
    return false;
  }
  return true;
}

Journal& SystemJournal() {
  static EventLogJournal journal(SystemEventLogCalls());
  return journal;
}

}  // namespace platform
