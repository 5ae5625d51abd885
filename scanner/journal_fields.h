// The record of one load as the station keeps it, made once here for every sink of
// platform/journal/ (systemd's journal, the Windows event log): what an inspector reads back with
// `journalctl -t codepanel` or in the Application log under the source "codepanel". Every value is
// UTF-8: the code as the communication log shows it (control bytes by name, "<SPACE>", Windows-1252
// letters as themselves), the outcome box's text converted from Windows-1252 with its line break
// joined by a space, so that the MESSAGE stays one line and no field shows as a blob.
//
//   kJournalIdentifier   SYSLOG_IDENTIFIER of every entry, for both programs
//   JournalFields        record + device path + user -> the entry's "NAME=value" fields
#pragma once

#include <string>
#include <vector>

#include "scanner/download_record.h"

inline constexpr char kJournalIdentifier[] = "codepanel";

// MESSAGE, PRIORITY (info when loaded, err otherwise), SYSLOG_IDENTIFIER, then CODEPANEL_KIND,
// _CODE, _PORT, _DEVICE, _OUTCOME, _LOADED (yes/no), _DURATION_MS and _USER, in that order.
// devicePath is the device the record's port denoted; user the name it ran under.
std::vector<std::string> JournalFields(const DownloadRecord& record, const std::string& devicePath,
                                       const std::string& user);
