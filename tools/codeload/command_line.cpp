#include "tools/codeload/command_line.h"

#include <string_view>

#include "platform/cp1252.h"

namespace codeload {

namespace {

constexpr std::string_view kPortOption = "--port";

bool AddPort(std::string_view value, Request& out, std::string& error) {
  platform::PortMapping mapping;
  if (!platform::ParsePortMapping(value, mapping)) {
    error = "bad --port value '" + std::string(value) + "': expected COMn=PATH with n 1..4";
    return false;
  }
  out.ports.push_back(mapping);
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
    } else if (arg == kPortOption) {
      if (i + 1 == argc) {
        error = "--port needs a value COMn=PATH";
        return false;
      }
      if (!AddPort(argv[++i], out, error))
        return false;
    } else if (arg.substr(0, kPortOption.size() + 1) == "--port=") {
      if (!AddPort(arg.substr(kPortOption.size() + 1), out, error))
        return false;
    } else {
      error = "unknown option '" + std::string(arg) + "'";
      return false;
    }
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

const char* HelpText() {
  return "usage: codeload [--port COMn=PATH]... [--yes] carton|leaflet CODE\n"
         "\n"
         "Loads a reference code into a code-reading scanner, with the same procedure, pacing and\n"
         "texts as the operator panel: 'carton' into the scanner on COM1, 'leaflet' into the one\n"
         "on COM2 (9600 8N1). CODE is 1 to 31 characters of Windows-1252; it is typed as UTF-8\n"
         "and sent as Windows-1252 bytes (\"£\" goes out as A3).\n"
         "\n"
         "  --port COMn=PATH  let COMn (n 1..4) denote the device PATH; repeatable\n"
         "                    (default: COM1..COM4 are /dev/ttyS0../dev/ttyS3)\n"
         "  --yes             confirm the download without asking; otherwise the question\n"
         "                    is asked on the terminal, and with no terminal the answer is No\n"
         "  --help            this text\n"
         "  --                end of options, for a CODE that begins with '-'\n"
         "\n"
         "The communication log goes to standard output, message boxes to standard error.\n"
         "Exit status: 0 code loaded, 1 download failed or code length refused,\n"
         "2 usage error, 3 download not confirmed.\n";
}

}  // namespace codeload
