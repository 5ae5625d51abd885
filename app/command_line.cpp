#include "app/command_line.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "app/installation.h"
#include "app/toolkit_options.h"
#include "platform/serial/port_file.h"

namespace {

constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kPortsFileOption = "--ports-file";

const ToolkitOption* FindToolkitOption(std::string_view arg) {
  if (arg.substr(0, 2) == "--")
    arg.remove_prefix(1);
  for (const ToolkitOption& option : DialogToolkitOptions().options) {
    if (arg == option.name)
      return &option;
  }
  return nullptr;
}

bool IsAttachedToolkitOption(std::string_view arg) {
  if (arg.substr(0, 2) == "--")
    arg.remove_prefix(1);
  for (const std::string_view prefix : DialogToolkitOptions().attached) {
    if (arg.size() > prefix.size() && arg.substr(0, prefix.size()) == prefix)
      return true;
  }
  return false;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const argv[], CommandLine& out, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.size() < 2 || arg[0] != '-') {
      error = "unexpected argument '" + std::string(arg) + "'";
      return false;
    }
    if (arg == "--help" || arg == "-h") {
      out.help = true;
      return true;
    }
    if (arg == "--no-power-off") {
      out.options.noPowerOff = true;
    } else if (arg == "--journal") {
      out.options.journal = true;
    } else if (arg == "--exit-after-first-frame") {
      out.exitAfterFirstFrame = true;
    } else if (arg == kPortOption) {
      if (i + 1 == argc) {
        error = "option '--port' needs a value COMn=PATH";
        return false;
      }
      if (!platform::AddPortOption(argv[++i], out.options.ports, error))
        return false;
    } else if (arg.substr(0, kPortOption.size() + 1) == "--port=") {
      if (!platform::AddPortOption(arg.substr(kPortOption.size() + 1), out.options.ports, error))
        return false;
    } else if (arg == kPortsFileOption || arg.starts_with("--ports-file=")) {
      if (arg == kPortsFileOption)
        out.portsFile = i + 1 < argc ? argv[++i] : "";
      else
        out.portsFile = arg.substr(kPortsFileOption.size() + 1);
      if (out.portsFile.empty()) {
        error = "option '--ports-file' needs a PATH";
        return false;
      }
    } else if (const ToolkitOption* toolkit = FindToolkitOption(arg)) {
      if (!toolkit->takesValue)
        continue;
      // A value that is one of our own options would be eaten by the toolkit: "-style
      // --no-power-off" must not quietly power the machine off for real.
      if (i + 1 == argc || std::string_view(argv[i + 1]).substr(0, 2) == "--") {
        error = "option '" + std::string(arg) + "' needs a value";
        return false;
      }
      ++i;
    } else if (!IsAttachedToolkitOption(arg)) {
      error = "unknown option '" + std::string(arg) + "'";
      return false;
    }
  }
  return true;
}

std::string Usage() {
  return std::string(
             "usage: codepanel [--port COMn=PATH]... [--ports-file PATH] [--no-power-off] "
             "[--journal] [--help]") +
         DialogToolkitOptions().usage;
}

bool ReadPortsFile(CommandLine& line, const std::string& defaultFile, std::string& error) {
  platform::PortChoice ports;
  if (!platform::ChoosePorts(line.options.ports, line.portsFile, defaultFile, ports, error))
    return false;
  line.options.ports = platform::Mappings(ports);
  return true;
}

const char* HelpText() {
  // Put together once: where the codes live and what a COM name denotes depend on the system.
  static const std::string text =
      Usage() +
      "\n"
      "The operator panel: loads the carton code into the scanner on COM1 and the leaflet code\n" +
      SettingsPlaceHelp() +
      "  --port COMn=PATH  the device that COMn (n 1-4) denotes; any --port replaces the\n"
      "                    whole ports file, which is then not read\n"
      "  --ports-file PATH read the COMn=PATH lines ('#' starts a comment) from PATH\n"
      "                    instead of " CODEPANEL_PORTS_FILE
      ", which may be missing;\n"
      "                    PATH may not. COM names the file leaves out are " +
      DefaultDevicesHelp() +
      "\n"
      "  --no-power-off    \"Spegni\" only reports what it would end and request\n"
      "  --journal         record every confirmed download in the system journal\n"
      "  --help            this text\n"
      "  --exit-after-first-frame  for benchmarks: quit once the panel has drawn its first "
      "frame\n" +
      DialogToolkitOptions().help +
      "Exit status: 0 after the panel or --help, 2 usage error, or a ports file that cannot\n"
      "be read or holds a wrong line.\n";
  return text.c_str();
}

int PrepareStart(int argc, const char* const argv[], CommandLine& line) {
  constexpr int kExitUsage = 2;
  std::string error;
  if (!ParseCommandLine(argc, argv, line, error)) {
    std::fprintf(stderr, "codepanel: %s\n%s\n", error.c_str(), Usage().c_str());
    return kExitUsage;
  }
  if (line.help) {
    std::fputs(HelpText(), stdout);
    return 0;
  }
  if (!ReadPortsFile(line, platform::kDefaultPortsFile, error)) {
    std::fprintf(stderr, "codepanel: %s\n", error.c_str());
    return kExitUsage;
  }
  return kStartPanel;
}
