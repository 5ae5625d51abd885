#!/usr/bin/env python3
"""Runs a command on a terminal of its own and types Ctrl-C into it once its output shows a text.

Under wine the terminal becomes the program's console, and Ctrl-C typed there reaches it as
CTRL_C_EVENT; on Linux the terminal sends SIGINT. Prints everything the command wrote (standard
output and error together, as a terminal shows them) and exits with the command's status.

Usage: console_interrupt.py TEXT SECONDS COMMAND [ARG...]
  TEXT     Ctrl-C is typed once this appears in the output
  SECONDS  the command is killed when it runs longer
"""
import os
import pty
import select
import signal
import sys
import termios
import time


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    text = sys.argv[1].encode()
    limit = float(sys.argv[2])
    pid, fd = pty.fork()
    if pid == 0:
        # The terminal passes on all the command writes and nothing else: no "^C" echoed into
        # the middle of its lines, and none of its output discarded when the Ctrl-C comes.
        attributes = termios.tcgetattr(0)
        attributes[3] = (attributes[3] & ~termios.ECHO) | termios.NOFLSH
        termios.tcsetattr(0, termios.TCSANOW, attributes)
        os.execvp(sys.argv[3], sys.argv[3:])
    output = b""
    typed = False
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], 0.02)
        if ready:
            try:
                data = os.read(fd, 4096)
            except OSError:  # EIO: the command has closed the terminal
                break
            if not data:
                break
            output += data
        if not typed and text in output:
            os.write(fd, b"\x03")
            typed = True
    else:
        os.kill(pid, signal.SIGKILL)
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    sys.stdout.buffer.write(output)
    if not typed:
        print("\nconsole_interrupt: the text never came; no Ctrl-C typed", file=sys.stderr)
        return 125
    return os.waitstatus_to_exitcode(status) & 0xFF


if __name__ == "__main__":
    sys.exit(main())
