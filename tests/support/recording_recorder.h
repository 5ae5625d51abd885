// A download recorder for tests: keeps every record, and lets a test look at the host at the
// moment each one arrives.
#pragma once

#include <functional>
#include <vector>

#include "scanner/download_record.h"

class RecordingRecorder : public DownloadRecorder {
 public:
  void Record(const DownloadRecord& record) override {
    records.push_back(record);
    if (onRecord)
      onRecord();
  }

  std::vector<DownloadRecord> records;
  std::function<void()> onRecord;
};
