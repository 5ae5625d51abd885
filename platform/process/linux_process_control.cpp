#include "platform/process/linux_process_control.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>
#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace platform {

namespace {

// The only library this backend knows; its handle stands for /proc being readable.
constexpr LibraryHandle kProcLibrary = 1;

constexpr char kLogindService[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";
constexpr char kPowerOffMethod[] = "PowerOffWithFlags";
// logind's flag that makes blocking inhibitors hold for root too.
constexpr qulonglong kRootCheckInhibitors = 1;

// The identifier a /proc entry names, or 0 for any other entry ("self", "sys", ...).
std::uint32_t ProcessIdOf(std::string_view name) {
  std::uint32_t id = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
  return error == std::errc() && end == name.data() + name.size() ? id : 0;
}

// Every process now running, in ascending order; nothing when the process list cannot be read.
std::optional<std::vector<std::uint32_t>> ListProcessIds(const std::string& procRoot) {
  DIR* dir = opendir(procRoot.c_str());
  if (dir == nullptr)
    return std::nullopt;
  std::vector<std::uint32_t> ids;
  while (const dirent* item = readdir(dir)) {
    if (const std::uint32_t id = ProcessIdOf(item->d_name); id != 0)
      ids.push_back(id);
  }
  closedir(dir);
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

int LogindShutdown::RequestShutdown(std::uint32_t flags,
                                    std::uint32_t /*reason: logind has none*/) {
  return RequestPowerOff(QDBusConnection::systemBus(), flags);
}

QDBusMessage PowerOffRequest(std::uint32_t flags) {
  QDBusMessage request =
      QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, kPowerOffMethod);
  const qulonglong logindFlags = (flags & EWX_FORCE) != 0 ? 0 : kRootCheckInhibitors;
  request << QVariant::fromValue(logindFlags);
  // Nobody at the station can type an administrator's password: polkit has to answer at once.
  request.setInteractiveAuthorizationAllowed(false);
  return request;
}

int PowerOffAccepted(const QDBusMessage& reply) {
  return reply.type() == QDBusMessage::ReplyMessage ? 1 : 0;
}

int RequestPowerOff(const QDBusConnection& bus, std::uint32_t flags) {
  if ((flags & EWX_SHUTDOWN) == 0 || !bus.isConnected())
    return 0;
  return PowerOffAccepted(bus.call(PowerOffRequest(flags)));
}

ProcessControl& SystemProcessControl() {
  static LogindShutdown logind;
  static LinuxProcessControl system(logind);
  return system;
}

LinuxProcessControl::LinuxProcessControl(ShutdownRequest& request, std::string procRoot)
    : m_request(request), m_procRoot(std::move(procRoot)) {}

LibraryHandle LinuxProcessControl::LoadProcessLibrary(const char* name) {
  if (!SameNameIgnoringCase(name, kKernelLibrary) || access(m_procRoot.c_str(), R_OK | X_OK) != 0)
    return kNoLibrary;
  return kProcLibrary;
}

bool LinuxProcessControl::FindFunction(LibraryHandle library, const char* name) {
  const std::string_view function = name;
  return library == kProcLibrary &&
         (function == kCreateSnapshotFunction || function == kFirstEntryFunction ||
          function == kNextEntryFunction);
}

SnapshotHandle LinuxProcessControl::TakeSnapshot() {
  std::optional<std::vector<std::uint32_t>> ids = ListProcessIds(m_procRoot);
  if (!ids)
    return kInvalidSnapshot;
  const SnapshotHandle handle = m_nextSnapshot++;
  m_snapshots[handle] = Snapshot{std::move(*ids), 0};
  return handle;
}

bool LinuxProcessControl::FirstEntry(SnapshotHandle snapshot, ProcessEntry& entry) {
  const auto found = m_snapshots.find(snapshot);
  if (found == m_snapshots.end())
    return false;
  found->second.next = 0;
  return FetchEntry(snapshot, entry);
}

bool LinuxProcessControl::NextEntry(SnapshotHandle snapshot, ProcessEntry& entry) {
  return FetchEntry(snapshot, entry);
}

bool LinuxProcessControl::FetchEntry(SnapshotHandle snapshot, ProcessEntry& entry) {
  const auto found = m_snapshots.find(snapshot);
  if (found == m_snapshots.end() || entry.dwSize != kProcessEntrySize)
    return false;
  Snapshot& walk = found->second;
  while (walk.next < walk.processIds.size()) {
    const std::uint32_t id = walk.processIds[walk.next++];
    std::ifstream cmdline(m_procRoot + "/" + std::to_string(id) + "/cmdline", std::ios::binary);
    if (!cmdline.is_open())
      continue;  // ended since the snapshot
    std::string firstArgument;
    std::getline(cmdline, firstArgument, '\0');
    entry.th32ProcessID = id;
    entry.szExeFile = std::move(firstArgument);
    return true;
  }
  return false;
}

void LinuxProcessControl::EndProcess(std::uint32_t processId, std::uint32_t /*exitCode*/) {
  // kill() reads 0 as our own process group and a negative id as a group or every process; only
  // an identifier of one process is passed on.
  if (processId == 0 || processId > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max()))
    return;
  kill(static_cast<pid_t>(processId), SIGKILL);
}

void LinuxProcessControl::CloseSnapshot(SnapshotHandle snapshot) {
  m_snapshots.erase(snapshot);
}

void LinuxProcessControl::UnloadLibrary(LibraryHandle /*library: nothing was loaded*/) {}

int LinuxProcessControl::RequestShutdown(std::uint32_t flags, std::uint32_t reason) {
  return m_request.RequestShutdown(flags, reason);
}

}  // namespace platform
