// PseudoTerminal: the simulator's serial port, a pseudo-terminal pair whose slave the client
// opens as its device.
//
// The pair is raw (8 data bits, no parity, no echo, no line editing). The simulator keeps a
// descriptor to the slave open all its life: without it, each time the client closes the port the
// master reads EIO and polls POLLHUP, and the pair loses its settings.
//
//   Open         creates the pair; the master becomes non-blocking
//   Link         makes a symbolic link to the slave, replacing a symbolic link but nothing else
//   MasterFd     the descriptor to poll, read and write
//   SlavePath    the device the client opens
//   ~PseudoTerminal  removes the link if it still points here, closes both ends
#pragma once

#include <string>

namespace scanner_sim {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  ~PseudoTerminal();

  // On false, error says what failed.
  bool Open(std::string& error);
  bool Link(const std::string& path, std::string& error);

  int MasterFd() const { return m_masterFd; }
  const std::string& SlavePath() const { return m_slavePath; }

 private:
  int m_masterFd = -1;
  int m_slaveFd = -1;
  std::string m_slavePath;
  std::string m_linkPath;
};

}  // namespace scanner_sim
