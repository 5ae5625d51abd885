#include "platform/serial/serial_scan.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <tuple>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUartPrefix = "ttyS";
constexpr const char* kLinkFolders[] = {"/dev/serial/by-id", "/dev/serial/by-path"};

// The names the 8250 driver gives its UART types (linux/serial_core.h numbers them).
constexpr const char* kUartNames[] = {
    "unknown", "8250",     "16450",      "16550",   "16550A",  "Cirrus", "ST16650",  "ST16650V2",
    "TI16750", "Startech", "16C950/954", "ST16654", "XR16850", "RSA",    "NS16550A", "XScale",
};

struct Family {
  std::string_view prefix;
  const char* kind;
};
constexpr Family kFamilies[] = {
    {"ttyUSB", "USB serial adapter"},
    {"ttyACM", "USB CDC-ACM device"},
    {"ttyAMA", "ARM PL011 UART"},
};
constexpr const char* kOtherKind = "serial device";

std::string Under(const std::string& root, const std::string& path) {
  if (root.empty() || root == "/")
    return path;
  return root + (path.starts_with('/') ? "" : "/") + path;
}

// The line of ttySN, when name is exactly that.
bool IsUartName(std::string_view name) {
  if (!name.starts_with(kUartPrefix) || name.size() == kUartPrefix.size())
    return false;
  return std::all_of(name.begin() + kUartPrefix.size(), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// The kernel's UART type for ttySN: sysfs first, which needs no open; -1 when neither tells.
int UartType(const std::string& root, const std::string& name) {
  std::ifstream typeFile(Under(root, "/sys/class/tty/" + name + "/type"));
  int type = -1;
  if (typeFile >> type)
    return type;
  // Opening raises DTR and RTS on an idle line for this moment; O_NONBLOCK does not wait for
  // carrier, O_NOCTTY keeps the device from becoming our controlling terminal.
  const int fd = ::open(Under(root, "/dev/" + name).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    return -1;
  serial_struct info{};
  const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0;
  ::close(fd);
  return known ? info.type : -1;
}

std::string UartKind(int type) {
  if (type > 0 && static_cast<std::size_t>(type) < std::size(kUartNames))
    return std::string(kUartNames[type]) + " UART";
  return "UART type " + std::to_string(type);
}

std::string OtherKind(const std::string& root, const std::string& name) {
  std::string kind = kOtherKind;
  for (const Family& family : kFamilies) {
    if (name.starts_with(family.prefix))
      kind = family.kind;
  }
  std::error_code failed;
  const fs::path driver =
      fs::read_symlink(Under(root, "/sys/class/tty/" + name + "/device/driver"), failed);
  if (!failed && !driver.filename().empty())
    kind += " (" + driver.filename().string() + ")";
  return kind;
}

// ttyS2 before ttyS10: by the letters, then by the number that ends the name.
bool NaturalLess(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
      --digits;
    unsigned long number = 0;
    std::from_chars(name.data() + digits, name.data() + name.size(), number);
    return std::make_tuple(name.substr(0, digits), number, name);
  };
  return split(a) < split(b);
}

void ScanDevices(const std::string& root, std::vector<ScannedDevice>& devices,
                 std::vector<std::string>& placeholders) {
  std::error_code failed;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(Under(root, "/sys/class/tty"), failed)) {
    const std::string name = entry.path().filename().string();
    const std::string path = "/dev/" + name;
    std::error_code ignored;
    if (!fs::exists(Under(root, path), ignored))
      continue;
    if (IsUartName(name)) {
      const int type = UartType(root, name);
      if (type > 0)
        devices.push_back({path, UartKind(type)});
      else
        placeholders.push_back(path);
    } else if (fs::exists(entry.path() / "device", ignored)) {
      devices.push_back({path, OtherKind(root, name)});
    }
  }
  std::sort(devices.begin(), devices.end(), [](const ScannedDevice& a, const ScannedDevice& b) {
    return NaturalLess(a.path, b.path);
  });
  std::sort(placeholders.begin(), placeholders.end(), NaturalLess);
}

void ScanLinks(const std::string& root, std::vector<ScannedLink>& links) {
  for (const char* folder : kLinkFolders) {
    std::vector<ScannedLink> found;
    std::error_code failed;
    for (const fs::directory_entry& entry : fs::directory_iterator(Under(root, folder), failed)) {
      std::error_code notLink;
      const fs::path target = fs::read_symlink(entry.path(), notLink);
      if (notLink)
        continue;
      ScannedLink link;
      link.path = std::string(folder) + "/" + entry.path().filename().string();
      link.device = ResolveDevice(root, link.path);
      link.present = !link.device.empty();
      if (!link.present)
        link.device = (fs::path(folder) / target).lexically_normal().string();
      found.push_back(link);
    }
    std::sort(found.begin(), found.end(),
              [](const ScannedLink& a, const ScannedLink& b) { return a.path < b.path; });
    links.insert(links.end(), found.begin(), found.end());
  }
}

}  // namespace

SerialScan ScanSerialDevices(const std::string& root) {
  SerialScan scan;
  ScanDevices(root, scan.devices, scan.placeholders);
  ScanLinks(root, scan.links);
  return scan;
}

std::string ResolveDevice(const std::string& root, const std::string& path) {
  std::error_code failed;
  const fs::path real = fs::canonical(Under(root, path), failed);
  if (failed)
    return {};
  if (root.empty() || root == "/")
    return real.string();
  // Shown as the system below the root sees it; a link that leaves the root is shown as it is.
  const std::string base = fs::canonical(root, failed).string();
  const std::string text = real.string();
  if (!failed && text.starts_with(base + "/"))
    return text.substr(base.size());
  return text;
}

int AccessError(const std::string& root, const std::string& path) {
  return ::access(Under(root, path).c_str(), R_OK | W_OK) == 0 ? 0 : errno;
}

}  // namespace platform
