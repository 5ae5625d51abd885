// JournalRecorder: writes each download record to the system journal as one entry: the record's
// fields made here (journal_fields.h), sent to whichever sink the system has
// (platform/journal/journal.h). The device a port name denoted and the user come from the program
// that runs the download. A journal that cannot be reached is told once, as one line for standard
// error, "<program>: cannot write to the system journal: <cause>"; later records are still
// offered to it, quietly. The download itself never learns of it.
//
//   JournalRecorder    the recorder given to the download procedure by --journal
#pragma once

#include <functional>
#include <string>

#include "platform/journal/journal.h"
#include "scanner/download_record.h"

class JournalRecorder final : public DownloadRecorder {
 public:
  using DevicePathOf = std::function<std::string(const std::string& port)>;
  using Say = std::function<void(const std::string& line)>;

  JournalRecorder(platform::Journal& journal, DevicePathOf devicePath, std::string user,
                  std::string program, Say say)
      : m_journal(journal),
        m_devicePath(std::move(devicePath)),
        m_user(std::move(user)),
        m_program(std::move(program)),
        m_say(std::move(say)) {}

  void Record(const DownloadRecord& record) override;

 private:
  platform::Journal& m_journal;
  DevicePathOf m_devicePath;
  std::string m_user;
  std::string m_program;
  Say m_say;
  bool m_bFailureTold = false;
};
