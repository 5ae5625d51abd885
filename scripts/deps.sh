# Installs the Debian packages the build needs when they are missing. Sourced by the scripts.
# Usage: install_packages pkg...
install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# fonts-wine brings a Tahoma with the original metrics; DejaVu is the fallback family.
# libsystemd-dev (found through pkg-config) sends the record of every download to the journal.
BUILD_PACKAGES=(g++ cmake make pkg-config libgtest-dev libgmock-dev qt6-base-dev libsystemd-dev
  fonts-wine fonts-dejavu-core)

# The Debian package: dpkg-shlibdeps (dpkg-dev) for its dependencies, the checks of its files
# (groff and man for its manual pages), the kiosk test (cage with Xwayland, Qt's Wayland plugin,
# grim for the screenshots; cage on its X11 backend in an Xvfb for screens of other sizes,
# x11-utils' xwininfo to find its window, xdotool to size it and to touch and type, imagemagick
# to measure the screenshots) and a fresh Debian root to install it into (debootstrap).
PACKAGE_PACKAGES=(dpkg-dev file lintian groff-base man-db desktop-file-utils systemd cage xwayland
                  qt6-wayland grim xvfb x11-utils xdotool imagemagick debootstrap)

# The booted station (scripts/test-station): QEMU and its image tool, debootstrap and mkfs.ext4
# for the machine's disk, systemd-journal-remote for the plant's collector, python3 for the driver.
STATION_PACKAGES=(qemu-system-x86 qemu-utils debootstrap e2fsprogs systemd-journal-remote python3)

# The Windows build: mingw-w64 with posix threads, GoogleTest's sources to build with it, wine to
# run the tests (wine64 for 64-bit programs), python3 to give codeload.exe a terminal for its
# console in the end-to-end test, Xvfb for a private display on which the dialogs run (x11-utils
# to read the panel's icon off its X window), wine's own fonts (fonts-wine) for the dialog font's
# metrics, and NSIS to build the station installer.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest cmake make wine wine64 python3 xvfb
  x11-utils fonts-wine nsis)

# The fuzz targets: clang-14 and its libFuzzer runtime (libclang_rt.fuzzer), which Debian 12 ships
# in libclang-rt-14-dev; cmake and make come with BUILD_PACKAGES.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev cmake make)
FUZZ_CXX=clang++-14

# True when the fuzz targets can be built here: the compiler finds its fuzzer runtime by full path.
have_fuzz_toolchain() {
  command -v "$FUZZ_CXX" >/dev/null &&
    [ -f "$("$FUZZ_CXX" -print-file-name="libclang_rt.fuzzer-$(uname -m).a")" ]
}
