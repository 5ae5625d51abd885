#include "platform/settings/profile_document.h"

#include <vector>

#include "platform/settings/profile_encoding.h"
#include "platform/settings/profile_syntax.h"

namespace platform {
namespace {

using profile::StoredValue;
using profile::Trim;
using profile::Unquote;

constexpr std::string_view kLineEnd = "\r\n";

// ---- Lines -------------------------------------------------------------------------------------

// One line of the file as offsets into its content, so that untouched lines are copied as bytes.
struct Line {
  std::size_t begin = 0;
  std::size_t textLength = 0;  // without the line end
  std::size_t endLength = 0;   // 2 for CRLF, 1 for LF or CR, 0 after an unterminated last line
  std::size_t Next() const { return begin + textLength + endLength; }
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  while (begin < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", begin);
    Line line{begin, 0, 0};
    if (end == std::string_view::npos) {
      line.textLength = content.size() - begin;
    } else {
      line.textLength = end - begin;
      const bool crlf =
          content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
      line.endLength = crlf ? 2 : 1;
    }
    lines.push_back(line);
    begin = line.Next();
  }
  return lines;
}

std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// Only ASCII letters fold: Windows-1252 letters above 0x7F compare as they are. A name with a NUL
// matches none, not even itself: a C caller could never ask for it.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.find('\0') != std::string_view::npos)
    return false;
  const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i]))
      return false;
  }
  return true;
}

enum class LineKind { kBlank, kComment, kSection, kEntry, kOther };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // entry value up to its first NUL, trimmed, quotes still on
};

ParsedLine ParseLine(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty())
    return {LineKind::kBlank, {}, {}};
  if (trimmed.front() == ';')
    return {LineKind::kComment, {}, {}};
  if (trimmed.front() == '[') {
    // The name runs to the last ']'; anything after it does not count. Without a ']' the line is
    // not a header and is read like any other line.
    const std::size_t close = trimmed.rfind(']');
    if (close != std::string_view::npos)
      return {LineKind::kSection, Trim(trimmed.substr(1, close - 1)), {}};
  }
  const std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos)
    return {LineKind::kOther, {}, {}};
  return {LineKind::kEntry, Trim(trimmed.substr(0, equals)),
          Trim(UpToNul(trimmed.substr(equals + 1)))};
}

// ---- Finding a key -----------------------------------------------------------------------------

struct KeyLocation {
  std::optional<std::size_t> section;  // header line of the first section of that name
  std::size_t lastContent = 0;         // its last line that is neither blank nor a comment
  std::optional<std::size_t> key;      // first entry of that key in that section
  ParsedLine entry;
};

KeyLocation FindKey(std::string_view content, const std::vector<Line>& lines,
                    std::string_view section, std::string_view key) {
  KeyLocation found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine parsed = ParseLine(content.substr(lines[i].begin, lines[i].textLength));
    if (parsed.kind == LineKind::kSection) {
      if (found.section)
        break;  // only the first section of the name counts
      if (SameName(parsed.name, section)) {
        found.section = i;
        found.lastContent = i;
      }
      continue;
    }
    if (!found.section)
      continue;
    if (parsed.kind != LineKind::kBlank && parsed.kind != LineKind::kComment)
      found.lastContent = i;
    if (parsed.kind == LineKind::kEntry && SameName(parsed.name, key)) {
      found.key = i;
      found.entry = parsed;
      break;
    }
  }
  return found;
}

// ---- Writing -----------------------------------------------------------------------------------

std::string EntryLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line.push_back('=');
  line.append(StoredValue(value));
  line.append(kLineEnd);
  return line;
}

bool EndsWithLineEnd(std::string_view content) {
  return !content.empty() && (content.back() == '\r' || content.back() == '\n');
}

std::string WithValue(std::string_view content, const std::string& section, const std::string& key,
                      const std::string& value) {
  const std::vector<Line> lines = SplitLines(content);
  const KeyLocation found = FindKey(content, lines, section, key);
  std::string result;
  if (found.key) {
    const Line& line = lines[*found.key];
    result.append(content.substr(0, line.begin));
    result.append(EntryLine(found.entry.name, value));
    result.append(content.substr(line.Next()));
  } else if (found.section) {
    const Line& anchor = lines[found.lastContent];
    result.append(content.substr(0, anchor.Next()));
    if (anchor.endLength == 0)
      result.append(kLineEnd);
    result.append(EntryLine(key, value));
    result.append(content.substr(anchor.Next()));
  } else {
    result.append(content);
    if (!content.empty() && !EndsWithLineEnd(content))
      result.append(kLineEnd);
    result.append("[").append(section).append("]").append(kLineEnd);
    result.append(EntryLine(key, value));
  }
  return result;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view fileBytes, const std::string& section,
                                            const std::string& key) {
  const ProfileText file = DecodeProfile(fileBytes);
  const KeyLocation found =
      FindKey(file.text, SplitLines(file.text), ToProfileText(file.encoding, section),
              ToProfileText(file.encoding, key));
  if (!found.key)
    return std::nullopt;
  return FromProfileText(file.encoding, Unquote(found.entry.value));
}

std::string ProfileWithValue(std::string_view fileBytes, const std::string& section,
                             const std::string& key, const std::string& value) {
  // Names and values keep their structure through the conversion: it leaves ASCII alone.
  const ProfileText file = DecodeProfile(fileBytes);
  const std::string edited =
      WithValue(file.text, ToProfileText(file.encoding, section), ToProfileText(file.encoding, key),
                ToProfileText(file.encoding, value));
  return EncodeProfile(file.encoding, edited);
}

}  // namespace platform
