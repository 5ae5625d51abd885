// codeload: loads one reference code into a scanner from the command line, through the same
// download procedure as the operator panel. Run with --help for the details.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/journal/user_name.h"
#include "platform/serial/named_serial_devices.h"
#include "platform/serial/port_file.h"
#include "scanner/download_procedure.h"
#include "scanner/journal_recorder.h"
#include "tools/codeload/command_line.h"
#include "tools/codeload/descriptor_output.h"
#include "tools/codeload/guarded_exchange.h"
#include "tools/codeload/open_report.h"
#include "tools/codeload/port_list.h"
#include "tools/codeload/terminal_host.h"
#include "tools/codeload/terminal_input.h"
#include "tools/codeload/utf8_arguments.h"

namespace {

constexpr int kExitUsage = 2;

codeload::Confirmation ConfirmationFor(const codeload::Request& request) {
  if (request.assumeYes)
    return codeload::Confirmation::AssumeYes;
  return codeload::StandardInputIsTerminal() ? codeload::Confirmation::AskOnTerminal
                                             : codeload::Confirmation::NoTerminal;
}

}  // namespace

int main(int argc, char* argv[]) {
  codeload::PrepareStandardOutput();
  const std::vector<std::string> arguments = codeload::Utf8Arguments(argc, argv);
  std::vector<const char*> args;
  for (const std::string& argument : arguments)
    args.push_back(argument.c_str());
  args.push_back(nullptr);

  codeload::Request request;
  std::string error;
  if (!codeload::ParseCommandLine(static_cast<int>(arguments.size()), args.data(), request,
                                  error)) {
    std::fprintf(stderr, "codeload: %s\n%s\n", error.c_str(), codeload::kUsage);
    return kExitUsage;
  }
  if (request.help) {
    std::fputs(codeload::HelpText(), stdout);
    return 0;
  }
  // A wrong ports file stops the start, as a wrong --port does: a code for the wrong scanner
  // is worse than none.
  platform::PortChoice ports;
  if (!platform::ChoosePorts(request.ports, request.portsFile, platform::kDefaultPortsFile, ports,
                             error)) {
    std::fprintf(stderr, "codeload: %s\n", error.c_str());
    return kExitUsage;
  }
  if (request.listPorts) {
    std::fputs(codeload::ListPorts("/", ports).c_str(), stdout);
    return 0;
  }

  // The procedure refuses such a code with its own box; this line says which byte it was.
  const std::string controlByte = codeload::ControlByteNotice(request.code);
  if (!controlByte.empty())
    std::fprintf(stderr, "%s\n", controlByte.c_str());

  const std::unique_ptr<platform::NamedSerialDevices> system = platform::MakeSystemSerialDevices();
  platform::NamedSerialDevices& devices = *system;
  for (const platform::PortMapping& port : platform::Mappings(ports))
    devices.MapPort(port.name, port.path);
  // Before the confirmation, so that the operator knows where the code is going.
  const char* const portName = codeload::PortOf(request.kind);
  std::fprintf(stderr, "%s\n", codeload::PortLine(portName, devices.DevicePath(portName)).c_str());
  // A failed open says why right before the procedure's own box.
  codeload::ReportingSerialDevices reporting(
      devices, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  platform::SystemClock clock;
  codeload::TerminalHost host(clock, request.kind, request.code, ConfirmationFor(request));
  std::optional<JournalRecorder> journal;
  if (request.journal) {
    journal.emplace(
        platform::SystemJournal(),
        [&devices](const std::string& port) { return devices.DevicePath(port); },
        platform::EffectiveUserName(), "codeload",
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  }
  CDownloadProcedure procedure(host, reporting, clock, journal ? &*journal : nullptr);

  if (request.kind == CodeKind::Carton) {
    procedure.OnSendCartonCode();
  } else {
    procedure.OnSendLeafletCode();
  }
  const int interruptedBy = codeload::RunGuardedExchange(clock, host, procedure);
  if (interruptedBy != 0)
    return codeload::kExitSignalBase + interruptedBy;
  return host.ExitStatus();
}
