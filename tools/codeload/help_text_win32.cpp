// codeload's --help on Windows: COM names that denote themselves, a ports file only when one is
// named (or built in), Ctrl-C, Ctrl-Break and the console's closing instead of signals, and the
// Application event log as the system journal.
#include <string>

#include "platform/serial/port_file.h"
#include "tools/codeload/command_line.h"

namespace codeload {

namespace {

std::string PortsFileHelp() {
  const std::string builtIn = platform::kDefaultPortsFile;
  if (builtIn.empty()) {
    return "  --ports-file PATH read the COMn=NAME lines ('#' starts a comment) from PATH;\n"
           "                    without it no ports file is read. The COM names the file\n"
           "                    leaves out, or all of them without a file, denote\n"
           "                    themselves: COM1..COM4\n";
  }
  return "  --ports-file PATH read the COMn=NAME lines ('#' starts a comment) from PATH\n"
         "                    instead of " +
         builtIn +
         ", which may be missing;\n"
         "                    PATH may not. The COM names the file leaves out, or all of\n"
         "                    them without a file, denote themselves: COM1..COM4\n";
}

std::string MakeHelpText() {
  return "usage: codeload [--port COMn=NAME]... [--ports-file PATH] [--yes] carton|leaflet CODE\n"
         "       codeload --list-ports [--port COMn=NAME]... [--ports-file PATH]\n"
         "\n"
         "Loads a reference code into a code-reading scanner, with the same procedure, pacing and\n"
         "texts as the operator panel: 'carton' into the scanner on COM1, 'leaflet' into the one\n"
         "on COM2 (9600 8N1). CODE is 1 to 31 characters of Windows-1252; it is typed as UTF-8\n"
         "and sent as Windows-1252 bytes (\"\u00A3\" goes out as A3).\n"
         "\n"
         "  --port COMn=NAME  let COMn (n 1..4) denote the Windows device NAME (\\\\.\\COM7);\n"
         "                    repeatable. Any --port replaces the whole ports file, which is\n"
         "                    then not read\n" +
         PortsFileHelp() +
         "  --list-ports      list where each COM name leads and the COM devices of this\n"
         "                    machine; then exit 0\n"
         "  --yes             confirm the download without asking; otherwise the question\n"
         "                    is asked on the console, and with no console the answer is No\n"
         "  --journal         record the download in the Application event log (source\n"
         "                    codepanel) once it has ended\n"
         "  --help            this text\n"
         "  --                end of options, for a CODE that begins with '-'\n"
         "\n"
         "The communication log goes to standard output, message boxes to standard error.\n"
         "Once the download has begun, Ctrl-C and Ctrl-Break wait until the scanner has had its\n"
         "closing exchange, at most some 11 s: a scanner is never left in programming mode.\n"
         "Closing the console window waits too, but Windows ends the program after some 5 s.\n"
         "A closed standard output only ends the log. Until then, while the question is asked,\n"
         "they act as usual: nothing has been sent yet.\n"
         "\n"
         "Exit status:\n"
         "  0 code loaded\n"
         "  1 download failed, or code refused (length, or a control byte 00-1F or 7F)\n"
         "  2 usage error, or a ports file that cannot be read or holds a wrong line\n"
         "  3 download not confirmed\n"
         "  128+N  an interruption came during the download, which then ran to its end: its\n"
         "         own outcome is in the log (130 Ctrl-C, 143 console closed, 149 Ctrl-Break)\n";
}

}  // namespace

const char* HelpText() {
  static const std::string text = MakeHelpText();
  return text.c_str();
}

}  // namespace codeload
