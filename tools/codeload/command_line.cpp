#include "tools/codeload/command_line.h"

#include <string_view>

#include "platform/text/cp1252.h"
#include "scanner/comm_log.h"

namespace codeload {

namespace {

constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kPortsFileOption = "--ports-file";

std::string Option(const platform::PortMapping& port) {
  return "--port " + port.name + "=" + port.path;
}

// One port mapped twice would leave it to the order of the options which device is used; two
// ports on one device would load both scanners' codes into the same scanner.
bool CheckPorts(const std::vector<platform::PortMapping>& ports, std::string& error) {
  for (std::size_t i = 0; i < ports.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (ports[i].name == ports[j].name) {
        error = Option(ports[j]) + " and " + Option(ports[i]) + " map " + ports[i].name + " twice";
        return false;
      }
      if (platform::SameDevice(ports[i].path, ports[j].path)) {
        error = Option(ports[j]) + " and " + Option(ports[i]) + " map " + ports[j].name + " and " +
                ports[i].name + " to the same device";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const argv[], Request& out, std::string& error) {
  std::vector<std::string_view> operands;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;  // lets a code begin with '-'
    } else if (arg == "--help" || arg == "-h") {
      out.help = true;
      return true;
    } else if (arg == "--yes") {
      out.assumeYes = true;
    } else if (arg == "--journal") {
      out.journal = true;
    } else if (arg == kPortOption) {
      if (i + 1 == argc) {
        error = "--port needs a value COMn=PATH";
        return false;
      }
      if (!platform::AddPortOption(argv[++i], out.ports, error))
        return false;
    } else if (arg.substr(0, kPortOption.size() + 1) == "--port=") {
      if (!platform::AddPortOption(arg.substr(kPortOption.size() + 1), out.ports, error))
        return false;
    } else if (arg == "--list-ports") {
      out.listPorts = true;
    } else if (arg == kPortsFileOption || arg.starts_with("--ports-file=")) {
      if (arg == kPortsFileOption)
        out.portsFile = i + 1 < argc ? argv[++i] : "";
      else
        out.portsFile = arg.substr(kPortsFileOption.size() + 1);
      if (out.portsFile.empty()) {
        error = "--ports-file needs a PATH";
        return false;
      }
    } else {
      error = "unknown option '" + std::string(arg) + "'";
      return false;
    }
  }

  if (!CheckPorts(out.ports, error))
    return false;
  if (out.listPorts) {
    if (!operands.empty()) {
      error = "--list-ports takes no kind of code or CODE; unexpected '" +
              std::string(operands[0]) + "'";
      return false;
    }
    return true;
  }
  if (operands.empty()) {
    error = "missing the kind of code (carton or leaflet) and the CODE";
    return false;
  }
  if (operands[0] == "carton") {
    out.kind = CodeKind::Carton;
  } else if (operands[0] == "leaflet") {
    out.kind = CodeKind::Leaflet;
  } else {
    error = "unknown kind of code '" + std::string(operands[0]) + "': carton or leaflet";
    return false;
  }
  if (operands.size() < 2) {
    error = "missing CODE";
    return false;
  }
  if (operands.size() > 2) {
    error = "one CODE only; unexpected '" + std::string(operands[2]) + "'";
    return false;
  }
  if (!platform::Utf8ToCp1252(operands[1], out.code)) {
    error = "CODE '" + std::string(operands[1]) +
            "' holds a character that Windows-1252 cannot represent (or is not UTF-8); nothing "
            "was sent";
    return false;
  }
  return true;
}

std::string ControlByteNotice(const std::string& code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    const auto byte = static_cast<unsigned char>(code[i]);
    if (byte < 0x20 || byte == 0x7F) {
      return std::string("codeload: CODE holds ") + kByteNames[byte] + " at position " +
             std::to_string(i + 1) + "; control bytes (00-1F, 7F) cannot be sent";
    }
  }
  return {};
}

}  // namespace codeload
