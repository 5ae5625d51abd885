// PseudoTerminal: the simulator's serial port, a pseudo-terminal pair whose slave the client
// opens as its device.
//
// The pair is raw (8 data bits, no parity, no echo, no line editing). The simulator keeps a
// descriptor to the slave open all its life: without it, each time the client closes the port the
// master reads EIO and polls POLLHUP, and the pair loses its settings. A client's close is seen
// instead through an inotify watch on the slave, which every close of it makes readable.
//
//   Open         creates the pair; the master becomes non-blocking
//   Link         makes a symbolic link to the slave at a path that does not exist yet
//   MasterFd     the descriptor to poll, read and write
//   ClosesFd     readable after a client closed the slave; -1 when inotify cannot watch it
//   TakeCloses   empties ClosesFd; whether a close was in it
//   SlavePath    the device the client opens
//   ~PseudoTerminal  removes the link if it is still the one Link made, closes everything
#pragma once

#include <sys/types.h>

#include <string>

namespace scanner_sim {

enum class LinkResult {
  kMade,
  kPathTaken,  // something, even a dangling link, is already there: left untouched
  kFailed,
};

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  ~PseudoTerminal();

  // On false, error says what failed.
  bool Open(std::string& error);
  // Unless kMade, error says what went wrong.
  LinkResult Link(const std::string& path, std::string& error);

  int MasterFd() const { return m_masterFd; }
  int ClosesFd() const { return m_closesFd; }
  bool TakeCloses();
  const std::string& SlavePath() const { return m_slavePath; }

 private:
  int m_masterFd = -1;
  int m_slaveFd = -1;
  int m_closesFd = -1;
  std::string m_slavePath;
  std::string m_linkPath;
  // The link as made, to tell it from one that someone put in its place since.
  dev_t m_linkDevice = 0;
  ino_t m_linkInode = 0;
};

}  // namespace scanner_sim
