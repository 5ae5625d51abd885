// A fake /dev and /sys of serial devices in a temporary folder, for the device scan and the port
// list: tty entries with a UART type or a device link and its driver, device nodes (plain files
// with the permission bits asked for), and /dev/serial links written as udev writes them,
// relative to their folder. The folder is open to every account, so that a check run without
// privileges (RunUnprivileged) can walk it.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace test_support {

class FakeSerialTree {
 public:
  FakeSerialTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "serial_tree.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      return;
    m_root = pattern;
    ::chmod(m_root.c_str(), 0755);
  }
  ~FakeSerialTree() {
    std::error_code ignored;
    if (!m_root.empty())
      std::filesystem::remove_all(m_root, ignored);
  }
  FakeSerialTree(const FakeSerialTree&) = delete;
  FakeSerialTree& operator=(const FakeSerialTree&) = delete;

  // Empty when the folder could not be made.
  const std::string& Root() const { return m_root; }

  // /sys/class/tty/NAME with its type file, as the 8250 driver makes one for every line.
  void AddUart(const std::string& name, int type, bool node = true) {
    AddFile("/sys/class/tty/" + name + "/type", std::to_string(type) + "\n");
    AddDeviceLink(name, "serial8250");
    if (node)
      AddNode("/dev/" + name);
  }
  // A tty of its own hardware: /sys/class/tty/NAME/device, its driver when one is given.
  void AddDevice(const std::string& name, const std::string& driver, bool node = true) {
    AddDeviceLink(name, driver);
    if (node)
      AddNode("/dev/" + name);
  }
  // A tty with no hardware behind it: a virtual console, the console.
  void AddVirtual(const std::string& name) {
    std::filesystem::create_directories(m_root + "/sys/class/tty/" + name);
    AddNode("/dev/" + name);
  }
  void AddNode(const std::string& path, mode_t mode = 0666) {
    AddFile(path, "");
    ::chmod((m_root + path).c_str(), mode);
  }
  void AddFile(const std::string& path, const std::string& text) {
    const std::filesystem::path full = m_root + path;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full) << text;
  }
  void AddLink(const std::string& path, const std::string& target) {
    const std::filesystem::path full = m_root + path;
    std::filesystem::create_directories(full.parent_path());
    std::filesystem::create_symlink(target, full);
  }

 private:
  // device -> /sys/devices/NAME, as sysfs links a class entry to the hardware it belongs to.
  void AddDeviceLink(const std::string& name, const std::string& driver) {
    const std::string hardware = "/sys/devices/" + name;
    std::filesystem::create_directories(m_root + hardware);
    AddLink("/sys/class/tty/" + name + "/device", "../../../devices/" + name);
    if (!driver.empty())
      AddLink(hardware + "/driver", "../../bus/drivers/" + driver);
  }

  std::string m_root;
};

}  // namespace test_support
