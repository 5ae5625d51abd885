"""The plant's collector on the host: systemd-journal-remote on a loopback port, and the relay
that QEMU's user network runs for each connection the guest opens to the collector's address
(guestfwd ... cmd:), so the guest reaches nothing but this port.

    collector.py relay PORT     copies standard input and output to and from 127.0.0.1:PORT
"""
import os
import select
import socket
import subprocess
import sys

JOURNAL_REMOTE = "/lib/systemd/systemd-journal-remote"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Collector:
    def __init__(self, folder):
        self.folder = folder
        self.port = free_port()
        self.process = None
        os.makedirs(folder, exist_ok=True)

    @staticmethod
    def available():
        return os.access(JOURNAL_REMOTE, os.X_OK)

    def relay_command(self):
        return f"{sys.executable} {os.path.abspath(__file__)} relay {self.port}"

    def start(self):
        self.process = subprocess.Popen(
            [JOURNAL_REMOTE, f"--listen-http=127.0.0.1:{self.port}", f"--output={self.folder}/"],
            stdout=open(os.path.join(self.folder, "collector.log"), "ab"),
            stderr=subprocess.STDOUT)

    def stop(self):
        if self.process is not None:
            self.process.terminate()
            self.process.wait()
            self.process = None

    def entries(self, *matches):
        import json
        out = subprocess.run(["journalctl", "--no-pager", "-D", self.folder, "-o", "json",
                              *matches], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             text=True).stdout
        return [json.loads(line) for line in out.splitlines() if line.strip()]


def relay(port):
    try:
        sock = socket.create_connection(("127.0.0.1", port), timeout=5)
    except OSError:
        return 1  # the collector is down: the guest sees its connection closed
    sock.settimeout(None)
    inputs = [0, sock]
    while inputs:
        ready, _, _ = select.select(inputs, [], [])
        if 0 in ready:
            data = os.read(0, 65536)
            if data:
                sock.sendall(data)
            else:
                sock.shutdown(socket.SHUT_WR)
                inputs.remove(0)
        if sock in ready:
            data = sock.recv(65536)
            if not data:
                return 0
            os.write(1, data)
    return 0


if __name__ == "__main__" and sys.argv[1:2] == ["relay"]:
    sys.exit(relay(int(sys.argv[2])))
