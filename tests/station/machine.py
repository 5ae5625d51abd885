"""A booted station in QEMU, driven as a line engineer and an operator would: its screen (QMP
screendump), its touch screen and keyboard (QMP input-send-event on virtio tablet and keyboard),
its serial console, and commands run by the guest agent (status and output without parsing a
prompt). Every wait retries against an event (a unit state, a screen, a line) up to a limit and
raises WaitTimeout past it; nothing waits for a fixed time.
"""
import base64
import json
import os
import re
import shlex
import socket
import subprocess
import threading
import time

from screen import Picture


def end_with_parent():
    """For Popen's preexec_fn: the child gets SIGTERM when the driver dies, however it dies,
    so that no QEMU or simulator outlives a run."""
    import ctypes
    import signal
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class WaitTimeout(Exception):
    pass


class CommandFailed(Exception):
    pass


def retry(what, attempt, timeout, interval=0.25):
    """Calls attempt() until it returns something other than None or False; raises
    WaitTimeout(what) after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = attempt()
        if result not in (None, False):
            return result
        if time.monotonic() > deadline:
            raise WaitTimeout(f"{what} (after {timeout:.0f} s)")
        time.sleep(interval)


def kvm_boots_stock_kernels():
    """A nested PVM /dev/kvm cannot boot a stock kernel: plain emulation then."""
    return os.access("/dev/kvm", os.R_OK | os.W_OK) and not os.path.exists("/sys/module/kvm_pvm")


class _Qmp:
    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.connect(path)
        self.file = self.sock.makefile("rb")
        json.loads(self.file.readline())  # the greeting
        self.command("qmp_capabilities")

    def command(self, name, **arguments):
        self.sock.sendall(json.dumps({"execute": name, "arguments": arguments}).encode())
        while True:
            line = self.file.readline()
            if not line:
                raise ConnectionError("QMP closed")
            reply = json.loads(line)
            if "event" in reply:
                continue
            if "error" in reply:
                raise CommandFailed(f"QMP {name}: {reply['error']}")
            return reply.get("return")


class _Agent:
    """The QEMU guest agent on a virtio-serial port. Each exchange opens with a sync whose
    answer comes after a 0xff byte, so that an answer left over from an earlier, abandoned
    exchange is never taken for this one's."""

    def __init__(self, path):
        self.path = path
        self.sock = None
        self.next_id = 1

    def _connect(self):
        if self.sock is None:
            self.sock = socket.socket(socket.AF_UNIX)
            self.sock.connect(self.path)
            self.buffer = b""

    def close(self):
        if self.sock is not None:
            self.sock.close()
            self.sock = None

    def _read_reply(self, deadline):
        while True:
            newline = self.buffer.find(b"\n")
            if newline >= 0:
                line, self.buffer = self.buffer[:newline], self.buffer[newline + 1:]
                line = line.lstrip(b"\xff").strip()
                if line:
                    return json.loads(line)
                continue
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError
            self.sock.settimeout(remaining)
            data = self.sock.recv(65536)
            if not data:
                raise ConnectionError("guest agent socket closed")
            self.buffer += data

    def sync(self, timeout):
        self._connect()
        token = int(time.time() * 1000) % 1000000000 + self.next_id
        self.next_id += 1
        self.sock.sendall(b"\xff" + json.dumps({"execute": "guest-sync-delimited",
                                                 "arguments": {"id": token}}).encode())
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_reply(deadline)
            if reply.get("return") == token:
                return

    def call(self, name, timeout=30, **arguments):
        self.sock.sendall(json.dumps({"execute": name, "arguments": arguments}).encode())
        reply = self._read_reply(time.monotonic() + timeout)
        if "error" in reply:
            raise CommandFailed(f"guest agent {name}: {reply['error']}")
        return reply.get("return")


class Machine:
    def __init__(self, image_folder, run_folder, serial_ports, log, collector_relay=None):
        self.image = image_folder
        self.run = run_folder
        self.serial_ports = serial_ports
        self.log = log
        self.collector_relay = collector_relay
        self.overlay = os.path.join(run_folder, "overlay.qcow2")
        self.process = None
        self.qmp = None
        self.agent = None
        self.console = b""
        self.boot_started = None
        subprocess.run(["qemu-img", "create", "-q", "-f", "qcow2", "-F", "raw", "-b",
                        os.path.join(image_folder, "disk.raw"), self.overlay], check=True)

    # -- power ---------------------------------------------------------------------------------
    def start(self, kernel_arguments="", screen=(1280, 800)):
        """Powers the machine on (a cold start: a new QEMU on the same disk) with a screen of
        `screen` pixels, the mode the virtual GPU offers the guest."""
        assert self.process is None
        for name in ("qmp.sock", "qga.sock", "console.sock"):
            path = os.path.join(self.run, name)
            if os.path.exists(path):
                os.unlink(path)
        accel = ["-accel", "kvm", "-cpu", "host"] if kvm_boots_stock_kernels() else [
            "-accel", "tcg,thread=multi", "-cpu", "max"]
        net = "user,id=net0,restrict=on"
        if self.collector_relay:
            from image import COLLECTOR_ADDRESS, COLLECTOR_PORT
            net += f",guestfwd=tcp:{COLLECTOR_ADDRESS}:{COLLECTOR_PORT}-cmd:{self.collector_relay}"
        cmd = ["qemu-system-x86_64", "-nodefaults", "-machine", "pc", "-smp", "2", "-m", "2048",
               *accel, "-kernel", os.path.join(self.image, "vmlinuz"),
               "-initrd", os.path.join(self.image, "initrd.img"),
               "-append", f"root=/dev/vda rw console=ttyS0,115200 quiet {kernel_arguments}",
               "-drive", f"file={self.overlay},if=virtio,format=qcow2,cache=unsafe",
               "-vga", "none", "-device", f"virtio-gpu-pci,xres={screen[0]},yres={screen[1]}",
               "-display", "none",
               "-device", "virtio-tablet-pci", "-device", "virtio-keyboard-pci",
               "-qmp", f"unix:{self.run}/qmp.sock,server=on,wait=off",
               "-chardev", f"socket,id=qga,path={self.run}/qga.sock,server=on,wait=off",
               "-device", "virtio-serial-pci",
               "-device", "virtserialport,chardev=qga,name=org.qemu.guest_agent.0",
               "-chardev", f"socket,id=console,path={self.run}/console.sock,server=on,wait=off",
               "-serial", "chardev:console",
               "-netdev", net, "-device", "virtio-net-pci,netdev=net0"]
        for index, path in enumerate(self.serial_ports, start=1):
            cmd += ["-chardev", f"serial,id=scanner{index},path={path}",
                    "-device", f"isa-serial,chardev=scanner{index},index={index}"]
        self.boot_started = time.monotonic()
        self.process = subprocess.Popen(cmd, stdin=subprocess.DEVNULL,
                                        stdout=open(os.path.join(self.run, "qemu.log"), "ab"),
                                        stderr=subprocess.STDOUT, preexec_fn=end_with_parent)
        retry("QEMU's sockets", lambda: all(
            os.path.exists(os.path.join(self.run, n)) for n in ("qmp.sock", "console.sock")) or
            self._exited(), 30)
        if self._exited():
            raise CommandFailed(f"QEMU ended at once: {self.qemu_log()}")
        self.qmp = _Qmp(os.path.join(self.run, "qmp.sock"))
        self.agent = _Agent(os.path.join(self.run, "qga.sock"))
        self.console = b""
        console = socket.socket(socket.AF_UNIX)
        console.connect(os.path.join(self.run, "console.sock"))
        self.console_socket = console
        threading.Thread(target=self._read_console, args=(console,), daemon=True).start()

    def _read_console(self, sock):
        with open(os.path.join(self.run, "console.log"), "ab") as out:
            while True:
                try:
                    data = sock.recv(4096)
                except OSError:
                    return
                if not data:
                    return
                self.console += data
                out.write(data)
                out.flush()

    def _exited(self):
        return self.process is not None and self.process.poll() is not None

    def qemu_log(self):
        with open(os.path.join(self.run, "qemu.log"), errors="replace") as f:
            return f.read()[-2000:]

    def since_boot(self):
        return time.monotonic() - self.boot_started

    def wait_for_shutdown(self, timeout):
        """Waits until QEMU ends with the guest's power-off."""
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise WaitTimeout(f"the machine did not power off (after {timeout:.0f} s)")
        self._forget()

    def _forget(self):
        if self.agent:
            self.agent.close()
        self.console_socket.close()
        self.process = self.qmp = self.agent = None

    def kill(self):
        if self.process is not None:
            self.process.kill()
            self.process.wait()
            self._forget()

    # -- commands --------------------------------------------------------------------------------
    def execute(self, command, timeout=60):
        """Runs `command` with /bin/sh as root in the guest; returns (status, output)."""
        deadline = time.monotonic() + timeout

        def attempt():
            if self._exited():
                raise CommandFailed(f"the machine is off; QEMU said: {self.qemu_log()}")
            try:
                self.agent.sync(timeout=5)
                return self.agent.call("guest-exec", path="/bin/sh", arg=["-c", command],
                                       **{"capture-output": True})["pid"]
            except (OSError, TimeoutError, ConnectionError, ValueError):
                self.agent.close()  # the agent is not up yet, or restarted: a fresh connection
                return None

        pid = retry("the guest agent", attempt, timeout)
        status = retry(f"`{command}` to end", lambda: self._exec_status(pid),
                       max(1, deadline - time.monotonic()), interval=0.1)
        output = base64.b64decode(status.get("out-data", "")).decode("utf-8", "replace")
        output += base64.b64decode(status.get("err-data", "")).decode("utf-8", "replace")
        return status.get("exitcode", -status.get("signal", 0) or -1), output

    def spawn(self, command, timeout=60):
        """Starts `command` in the guest and does not wait for it (a power-off, say)."""

        def attempt():
            try:
                self.agent.sync(timeout=5)
                return self.agent.call("guest-exec", path="/bin/sh", arg=["-c", command])["pid"]
            except (OSError, TimeoutError, ConnectionError, ValueError):
                self.agent.close()
                return None

        return retry("the guest agent", attempt, timeout)

    def _exec_status(self, pid):
        try:
            self.agent.sync(timeout=5)
            status = self.agent.call("guest-exec-status", pid=pid)
        except (OSError, TimeoutError, ConnectionError, ValueError):
            self.agent.close()
            return None
        return status if status.get("exited") else None

    def succeed(self, command, timeout=60):
        status, output = self.execute(command, timeout)
        if status != 0:
            raise CommandFailed(f"`{command}` ended with {status}: {output.strip()}")
        return output

    def fail(self, command, timeout=60):
        status, output = self.execute(command, timeout)
        if status == 0:
            raise CommandFailed(f"`{command}` succeeded: {output.strip()}")
        return output

    def wait_until_succeeds(self, command, timeout):
        last = [""]

        def attempt():
            status, output = self.execute(command, timeout)
            last[0] = output
            return output if status == 0 else None

        try:
            return retry(f"`{command}` to succeed", attempt, timeout, interval=0.5)
        except WaitTimeout as e:
            raise WaitTimeout(f"{e}; it said: {last[0].strip()[-500:]}")

    def wait_for_unit(self, unit, timeout=120):
        return self.wait_until_succeeds(f"systemctl is-active --quiet {shlex.quote(unit)}", timeout)

    def wait_until_tty_matches(self, tty, pattern, timeout=60):
        """Waits until the text on virtual terminal `tty` (its /dev/vcs) matches `pattern`."""
        regex = re.compile(pattern)

        def attempt():
            status, text = self.execute(f"cat /dev/vcs{tty}", timeout)
            return text if status == 0 and regex.search(text) else None

        return retry(f"tty{tty} to show /{pattern}/", attempt, timeout, interval=0.5)

    def wait_for_console(self, pattern, timeout=60):
        regex = re.compile(pattern.encode())
        return retry(f"the serial console to show /{pattern}/",
                     lambda: regex.search(self.console), timeout)

    # -- screen, touch and keys ----------------------------------------------------------------
    def screenshot(self, path=None):
        target = os.path.join(self.run, "screen.ppm")
        self.qmp.command("screendump", filename=target)
        with open(target, "rb") as f:
            picture = Picture.from_ppm(f.read())
        if path:
            with open(path, "wb") as f:
                f.write(picture.png())
        return picture

    def wait_for_screen(self, what, accept, timeout=60):
        """Takes screenshots until accept(picture) gives something; returns that."""

        def attempt():
            if self._exited():
                raise CommandFailed(f"the machine is off; QEMU said: {self.qemu_log()}")
            return accept(self.screenshot())

        return retry(what, attempt, timeout, interval=0.3)

    def _pointer(self, x, y, picture_size):
        w, h = picture_size
        return [{"type": "abs", "data": {"axis": "x", "value": int(x * 0x7FFF / (w - 1))}},
                {"type": "abs", "data": {"axis": "y", "value": int(y * 0x7FFF / (h - 1))}}]

    def move(self, x, y, picture_size):
        self.qmp.command("input-send-event", events=self._pointer(x, y, picture_size))

    def touch(self, x, y, picture_size):
        """A finger on the touch screen at (x, y) of a picture of `picture_size`."""
        self.move(x, y, picture_size)
        self.qmp.command("input-send-event", events=[
            {"type": "btn", "data": {"down": True, "button": "left"}}])
        self.qmp.command("input-send-event", events=[
            {"type": "btn", "data": {"down": False, "button": "left"}}])

    def send_key(self, *keys):
        """Presses the QKeyCode names together (e.g. "shift", "tab"), then lets them go."""
        down = [{"type": "key", "data": {"down": True, "key": {"type": "qcode", "data": k}}}
                for k in keys]
        up = [{"type": "key", "data": {"down": False, "key": {"type": "qcode", "data": k}}}
              for k in reversed(keys)]
        self.qmp.command("input-send-event", events=down)
        self.qmp.command("input-send-event", events=up)
