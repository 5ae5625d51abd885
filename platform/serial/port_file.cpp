#include "platform/serial/port_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/text/error_text.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t\r";  // the CR of a CRLF line end among them
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return kBlanks.find(c) != std::string_view::npos;
}

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A '#' starts a comment at the start of the line or after a blank; inside a word it is a path's.
std::string_view WithoutComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '#' && (i == 0 || IsBlank(line[i - 1])))
      return line.substr(0, i);
  }
  return line;
}

// "COMn = PATH" with blanks around the '=' allowed; no control byte in the name or the path (a
// NUL would cut the path short, a tab in it is a typing slip).
bool ParseLine(std::string_view line, PortMapping& out) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos)
    return false;
  const std::string_view name = Trim(line.substr(0, equals));
  const std::string_view path = Trim(line.substr(equals + 1));
  for (const std::string_view piece : {name, path}) {
    for (const char c : piece) {
      if (IsControl(c))
        return false;
    }
  }
  return ParsePortMapping(std::string(name) + "=" + std::string(path), out);
}

// The line as written, its control bytes as \xNN so that the message stays one printable line.
std::string Shown(std::string_view line) {
  std::string shown;
  for (const char c : line) {
    if (IsControl(c)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      shown += hex;
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string Where(const std::string& fileName, int line) {
  return fileName + ":" + std::to_string(line) + ": ";
}

// The same rules as for --port: a name mapped twice would leave it to the order of the lines which
// device is used; two names on one device would load both scanners' codes into one scanner.
bool CheckAgainstEarlier(const PortFileEntry& entry, const std::vector<PortFileEntry>& earlier,
                         const std::string& fileName, const SameDeviceTest& sameDevice,
                         std::string& error) {
  for (const PortFileEntry& before : earlier) {
    const std::string lines =
        "lines " + std::to_string(before.line) + " and " + std::to_string(entry.line);
    if (before.mapping.name == entry.mapping.name) {
      error = Where(fileName, entry.line) + lines + " map " + entry.mapping.name + " twice";
      return false;
    }
    if (sameDevice(before.mapping.path, entry.mapping.path)) {
      error = Where(fileName, entry.line) + lines + " map " + before.mapping.name + " and " +
              entry.mapping.name + " to the same device";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParsePortFile(std::string_view text, const std::string& fileName,
                   const SameDeviceTest& sameDevice, std::vector<PortFileEntry>& out,
                   std::string& error) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    ++number;
    const std::string_view line = Trim(WithoutComment(Trim(text.substr(start, end - start))));
    start = end + 1;
    if (line.empty())
      continue;
    PortFileEntry entry;
    entry.line = number;
    if (!ParseLine(line, entry.mapping)) {
      error = Where(fileName, number) + "expected COMn=PATH with n 1-4, got '" + Shown(line) + "'";
      return false;
    }
    if (!CheckAgainstEarlier(entry, out, fileName, sameDevice, error))
      return false;
    out.push_back(entry);
  }
  return true;
}

PortFileRead ReadPortFile(const std::string& path, std::string& text, int& error) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = errno;
    return error == ENOENT ? PortFileRead::Missing : PortFileRead::Failed;
  }
  text.clear();
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, got);
  // A folder opens, then fails its first read with EISDIR.
  const bool failed = std::ferror(file) != 0;
  error = failed ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  return failed ? PortFileRead::Failed : PortFileRead::Read;
}

bool ChoosePorts(const std::vector<PortMapping>& commandLine, const std::string& portsFile,
                 const std::string& defaultFile, PortChoice& out, std::string& error) {
  out = PortChoice{};
  out.file = portsFile.empty() ? defaultFile : portsFile;
  if (!commandLine.empty()) {
    out.source = PortSource::CommandLine;
    for (const PortMapping& mapping : commandLine)
      out.entries.push_back({mapping, 0});
    return true;
  }
  std::string text;
  int cause = 0;
  switch (ReadPortFile(out.file, text, cause)) {
    case PortFileRead::Missing:
      // The station may simply use the defaults; a file named on the command line was meant.
      if (portsFile.empty())
        return true;
      [[fallthrough]];
    case PortFileRead::Failed:
      error = "cannot read " + out.file + ": " + ErrorText(cause);
      return false;
    case PortFileRead::Read:
      break;
  }
  out.source = PortSource::PortsFile;
  return ParsePortFile(text, out.file, SameDevice, out.entries, error);
}

std::vector<PortMapping> Mappings(const PortChoice& choice) {
  std::vector<PortMapping> mappings;
  for (const PortFileEntry& entry : choice.entries)
    mappings.push_back(entry.mapping);
  return mappings;
}

}  // namespace platform
