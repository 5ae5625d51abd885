"""The station's disk image: Debian 12 from debootstrap with the distribution's kernel, systemd,
the kiosk's compositor and the package built from this tree, installed with apt.

Two layers, each cached under build-station/ by a key of what went into it:
  base    debootstrap minbase and the system's packages (a tar of the root; changes only when
          the package list below does),
  station the base with the package installed and the station set up as a line engineer would
          (a raw ext4 disk made with mkfs.ext4 -d, no loop mount, and the kernel and initrd
          beside it for QEMU's -kernel).
A run never writes to a cached disk: each run boots a qcow2 overlay of its own.
"""
import hashlib
import os
import shutil
import subprocess
import tarfile
import tempfile

SUITE = "bookworm"
MIRROR = "http://deb.debian.org/debian"

# What a kiosk station needs beside the package: the kernel and the boot, logind's seat for the
# kiosk, polkit for "Spegni", the guest agent that the test drives the machine through, the
# compositor with Xwayland (cage 0.1.4 never ends without it) and Qt's Wayland plugin,
# systemd-journal-upload for the plant's collector, and man to read the package's manual pages.
BASE_PACKAGES = [
    "linux-image-amd64", "initramfs-tools", "systemd", "systemd-sysv", "udev", "dbus",
    "libpam-systemd", "polkitd", "qemu-guest-agent", "cage", "xwayland", "qt6-wayland",
    "qt6-qpa-plugins", "fonts-dejavu-core", "fonts-wine", "systemd-journal-remote", "adduser",
    "kbd", "procps", "iproute2", "less", "man-db"
]

HOSTNAME = "linea3"
OPERATOR = "station"
OUTSIDER = "visitor"
COLLECTOR_ADDRESS = "10.0.2.100"
COLLECTOR_PORT = 19532


def _digest(*parts):
    h = hashlib.sha256()
    for part in parts:
        h.update(part if isinstance(part, bytes) else str(part).encode())
        h.update(b"\0")
    return h.hexdigest()[:16]


def package_digest(deb):
    """The package's contents, not its file: cpack stamps every build with its own time."""
    h = hashlib.sha256()
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["dpkg-deb", "-R", deb, tmp], check=True)
        for folder, dirs, files in os.walk(tmp):
            dirs.sort()
            for name in sorted(files) + sorted(dirs):
                path = os.path.join(folder, name)
                st = os.lstat(path)
                h.update(os.path.relpath(path, tmp).encode() + b"\0" + oct(st.st_mode).encode())
                if os.path.islink(path):
                    h.update(os.readlink(path).encode())
                elif os.path.isfile(path):
                    with open(path, "rb") as f:
                        h.update(f.read())
    return h.hexdigest()[:16]


class Chroot:
    """A root folder with /proc, /sys and /dev/pts mounted, for apt and maintainer scripts."""

    def __init__(self, root):
        self.root = root
        self.mounts = []

    def __enter__(self):
        for what, where, kind, opts in [("proc", "proc", "proc", None),
                                        ("sysfs", "sys", "sysfs", None),
                                        ("devpts", "dev/pts", "devpts",
                                         "newinstance,ptmxmode=0666,mode=0620")]:
            target = os.path.join(self.root, where)
            os.makedirs(target, exist_ok=True)
            cmd = ["mount", "-t", kind, what, target]
            if opts:
                cmd[1:1] = ["-o", opts]
            subprocess.run(cmd, check=True)
            self.mounts.append(target)
        # Services must not start inside the build root.
        with open(os.path.join(self.root, "usr/sbin/policy-rc.d"), "w") as f:
            f.write("#!/bin/sh\nexit 101\n")
        os.chmod(os.path.join(self.root, "usr/sbin/policy-rc.d"), 0o755)
        return self

    def __exit__(self, *exc):
        for target in reversed(self.mounts):
            subprocess.run(["umount", "-l", target], check=False)
        os.unlink(os.path.join(self.root, "usr/sbin/policy-rc.d"))

    def run(self, *cmd, stdin=None):
        env = {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "LANG": "C.UTF-8",
               "DEBIAN_FRONTEND": "noninteractive"}
        return subprocess.run(["chroot", self.root] + list(cmd), env=env, check=True,
                              input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              text=True).stdout

    def write(self, path, text, mode=0o644):
        full = os.path.join(self.root, path.lstrip("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as f:
            f.write(text)
        os.chmod(full, mode)


def base_root(cache, log):
    """The tar of a Debian 12 root with BASE_PACKAGES; built once per package list."""
    key = _digest(SUITE, MIRROR, " ".join(BASE_PACKAGES))
    tar = os.path.join(cache, f"base-{key}.tar")
    if os.path.exists(tar):
        return tar
    log(f"building the base system ({SUITE}, {len(BASE_PACKAGES)} packages)")
    root = tempfile.mkdtemp(dir=cache, prefix="base-root.")
    try:
        os.chmod(root, 0o755)
        subprocess.run(["debootstrap", "--variant=minbase", SUITE, root, MIRROR], check=True,
                       stdout=subprocess.DEVNULL)
        with Chroot(root) as c:
            c.run("apt-get", "update", "-qq")
            c.run("apt-get", "install", "-y", "-qq", "--no-install-recommends", *BASE_PACKAGES)
            c.run("apt-get", "clean")
        subprocess.run(["tar", "-cf", tar + ".part", "-C", root, "."], check=True)
        os.rename(tar + ".part", tar)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    return tar


# The station as the README sets it up, plus what only the test needs: the scanners on the
# guest's second and third UART, a root login on the serial console as a fallback, and the
# journal upload to the collector that the test runs on the host.
def _set_up_station(c):
    c.write("/etc/hostname", HOSTNAME + "\n")
    c.write("/etc/hosts", f"127.0.0.1 localhost\n127.0.1.1 {HOSTNAME}\n")
    c.write("/etc/fstab", "/dev/vda / ext4 rw,errors=remount-ro 0 1\n")
    c.run("useradd", "--create-home", "--groups", "codepanel,dialout", OPERATOR)
    c.run("useradd", "--create-home", OUTSIDER)
    with open(os.path.join(c.root, "etc/codepanel/ports"), "a") as f:
        f.write("# the carton and the leaflet scanner on the second and third built-in UART\n"
                "COM1=/dev/ttyS1\nCOM2=/dev/ttyS2\n")
    c.run("systemctl", "set-default", "multi-user.target")
    c.run("systemctl", "enable", f"codepanel-kiosk@{OPERATOR}.service")
    os.makedirs(os.path.join(c.root, "var/log/journal"), exist_ok=True)
    c.write("/etc/systemd/system/serial-getty@ttyS0.service.d/autologin.conf",
            "[Service]\nExecStart=\nExecStart=-/sbin/agetty --autologin root --keep-baud "
            "115200,57600,38400,9600 %I $TERM\n")
    c.write("/etc/systemd/network/50-wired.network", "[Match]\nName=en*\n\n[Network]\nDHCP=yes\n")
    c.run("systemctl", "enable", "systemd-networkd.service")
    c.write("/etc/systemd/journal-upload.conf.d/collector.conf",
            f"[Upload]\nURL=http://{COLLECTOR_ADDRESS}:{COLLECTOR_PORT}\n")
    c.write("/etc/systemd/system/systemd-journal-upload.service.d/retry.conf",
            "[Unit]\nStartLimitIntervalSec=0\n\n[Service]\nRestart=always\nRestartSec=3\n")
    c.run("systemctl", "enable", "systemd-journal-upload.service")
    # The kernel's messages stay on the serial console; tty1 is the kiosk's.
    c.write("/etc/sysctl.d/50-quiet-console.conf", "kernel.printk = 3 4 1 3\n")


def station_image(cache, deb, recipe_digest, log):
    """A folder with disk.raw, vmlinuz and initrd.img of the station with `deb` installed."""
    base = base_root(cache, log)
    key = _digest(os.path.basename(base), package_digest(deb), recipe_digest)
    folder = os.path.join(cache, f"station-{key}")
    if os.path.exists(os.path.join(folder, "disk.raw")):
        return folder, False
    log("building the station image")
    for old in os.listdir(cache):  # one station image at a time: each is about 3 GB of disk
        if old.startswith("station-"):
            shutil.rmtree(os.path.join(cache, old), ignore_errors=True)
    os.makedirs(folder)
    root = tempfile.mkdtemp(dir=cache, prefix="station-root.")
    try:
        os.chmod(root, 0o755)
        subprocess.run(["tar", "-xf", base, "-C", root], check=True)
        shutil.copy(deb, os.path.join(root, "tmp/codepanel.deb"))
        with Chroot(root) as c:
            c.run("apt-get", "install", "-y", "-qq", "--no-install-recommends",
                  "/tmp/codepanel.deb")
            os.unlink(os.path.join(root, "tmp/codepanel.deb"))
            _set_up_station(c)
        boot = os.path.join(root, "boot")
        for name, target in [("vmlinuz-", "vmlinuz"), ("initrd.img-", "initrd.img")]:
            found = sorted(f for f in os.listdir(boot) if f.startswith(name))
            shutil.copy(os.path.join(boot, found[-1]), os.path.join(folder, target))
        disk = os.path.join(folder, "disk.raw")
        subprocess.run(["mkfs.ext4", "-q", "-L", "station", "-d", root, disk, "3G"],
                       check=True)
    except BaseException:
        shutil.rmtree(folder, ignore_errors=True)
        raise
    finally:
        shutil.rmtree(root, ignore_errors=True)
    return folder, True
