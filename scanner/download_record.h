// What a confirmed download leaves behind once it has ended: which code went to which port, with
// what outcome and how long it took. The procedure hands one DownloadRecord to its recorder at
// the very end of every download the operator confirmed (after the outcome box closed and the
// log lines were written); a code refused before the question, or a question answered No, leaves
// none. Where the records go (the system journal, a test's list) is the recorder's business.
//
//   DownloadRecord     one ended download, in the procedure's own terms (Windows-1252 bytes)
//   DownloadRecorder   takes each record; it cannot fail the download, so it returns nothing
#pragma once

#include <cstdint>
#include <string>

#include "scanner/download_host.h"

struct DownloadRecord {
  CodeKind kind = CodeKind::Carton;
  std::string code;          // the confirmed code, Windows-1252 bytes
  std::string port;          // the port name opened for it: "COM1", "COM2"
  unsigned outcomeText = 0;  // string id of the outcome box: 140 loaded, else a failure text
  std::string outcome;       // that box's text as shown, Windows-1252, line break included
  bool loaded = false;
  // From the operator's Yes to the end of the download, on the procedure's clock.
  std::uint32_t durationMs = 0;
};

class DownloadRecorder {
 public:
  virtual ~DownloadRecorder() = default;
  virtual void Record(const DownloadRecord& record) = 0;
};
