#include "platform/settings/profile_syntax.h"

namespace platform::profile {

namespace {

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

}  // namespace

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back())
    return value.substr(1, value.size() - 2);
  return value;
}

bool IsStorableSectionName(std::string_view name) {
  return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name);
}

bool IsStorableKey(std::string_view key) {
  return IsStorableSectionName(key) && key.find('=') == std::string_view::npos &&
         key.front() != ';' && key.front() != '[';
}

bool IsStorableValue(std::string_view value) {
  return !HasLineBreakOrNul(value);
}

// Others are stored as Windows stores them.
std::string StoredValue(std::string_view value) {
  const bool blankAtEnd = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  const bool looksQuoted = Unquote(value).size() != value.size();
  if (!blankAtEnd && !looksQuoted)
    return std::string(value);
  std::string quoted = "\"";
  quoted.append(value);
  quoted.push_back('"');
  return quoted;
}

}  // namespace platform::profile
