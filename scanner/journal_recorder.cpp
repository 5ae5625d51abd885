#include "scanner/journal_recorder.h"

#include "scanner/journal_fields.h"

void JournalRecorder::Record(const DownloadRecord& record) {
  std::string cause;
  if (m_journal.Send(JournalFields(record, m_devicePath(record.port), m_user), cause))
    return;
  if (m_bFailureTold)
    return;
  m_bFailureTold = true;
  m_say(m_program + ": cannot write to the system journal: " + cause);
}
