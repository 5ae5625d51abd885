// codeload's --help on POSIX: the station's ports file, the /dev/ttyS defaults and the signals.
#include "tools/codeload/command_line.h"

namespace codeload {

const char* HelpText() {
  return "usage: codeload [--port COMn=PATH]... [--ports-file PATH] [--yes] carton|leaflet CODE\n"
         "       codeload --list-ports [--port COMn=PATH]... [--ports-file PATH]\n"
         "\n"
         "Loads a reference code into a code-reading scanner, with the same procedure, pacing and\n"
         "texts as the operator panel: 'carton' into the scanner on COM1, 'leaflet' into the one\n"
         "on COM2 (9600 8N1). CODE is 1 to 31 characters of Windows-1252; it is typed as UTF-8\n"
         "and sent as Windows-1252 bytes (\"£\" goes out as A3).\n"
         "\n"
         "  --port COMn=PATH  let COMn (n 1..4) denote the device PATH; repeatable. Any --port\n"
         "                    replaces the whole ports file, which is then not read\n"
         "  --ports-file PATH read the COMn=PATH lines ('#' starts a comment) from PATH\n"
         "                    instead of " CODEPANEL_PORTS_FILE
         ", which may be missing;\n"
         "                    PATH may not. The COM names the file leaves out, or all of\n"
         "                    them without a file, are /dev/ttyS0../dev/ttyS3 for COM1..COM4\n"
         "  --list-ports      list where each COM name leads, the serial devices of this\n"
         "                    machine and whether this account may open them; then exit 0\n"
         "  --yes             confirm the download without asking; otherwise the question\n"
         "                    is asked on the terminal, and with no terminal the answer is No\n"
         "  --journal         record the download in the system journal once it has ended\n"
         "  --help            this text\n"
         "  --                end of options, for a CODE that begins with '-'\n"
         "\n"
         "The communication log goes to standard output, message boxes to standard error.\n"
         "Once the download has begun, SIGINT (Ctrl-C), SIGTERM, SIGHUP and SIGPIPE (a closed\n"
         "standard output) wait until the scanner has had its closing exchange, at most some\n"
         "11 s: a scanner is never left in programming mode. A closed standard output only ends\n"
         "the log. Until then, while the question is asked, they act as usual: nothing has been\n"
         "sent yet.\n"
         "\n"
         "Exit status:\n"
         "  0 code loaded\n"
         "  1 download failed, or code refused (length, or a control byte 00-1F or 7F)\n"
         "  2 usage error, or a ports file that cannot be read or holds a wrong line\n"
         "  3 download not confirmed\n"
         "  128+N  signal N came during the download, which then ran to its end: its own\n"
         "         outcome is in the log (129 SIGHUP, 130 SIGINT, 141 SIGPIPE, 143 SIGTERM)\n";
}

}  // namespace codeload
