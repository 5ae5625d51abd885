// A pseudo-terminal for tests of the serial backend: the slave stands in for the serial device
// under test, the master for the far end of the line (a scanner).
//
// The pair starts raw. Transfers between master and slave go through the kernel asynchronously,
// so ReadMaster and WaitUntil give the other side a bounded time to catch up.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // False when no pseudo-terminal could be had; the other members then do nothing.
  bool IsOpen() const { return m_master >= 0; }
  const std::string& SlavePath() const { return m_slavePath; }

  // Gives the line the settings an interactive terminal leaves behind (canonical input, echo,
  // CR/LF mapping, XON/XOFF, bit stripping, signals, read timing), which a raw serial backend
  // has to undo.
  bool MakeLineCooked();

  // Sends all bytes to the slave; false when they could not all go within a second.
  bool WriteMaster(const std::vector<std::uint8_t>& bytes);
  // Reads from the master until n bytes came or the time is up; returns what came.
  std::vector<std::uint8_t> ReadMaster(std::size_t n, std::chrono::milliseconds limit);
  // Hangs up the slave side, as unplugging an adapter would.
  void CloseMaster();

 private:
  int m_master = -1;
  std::string m_slavePath;
};

// Polls done() until it holds or the time is up; returns its last result.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace test_support
