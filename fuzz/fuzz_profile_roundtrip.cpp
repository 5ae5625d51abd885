// The settings-file writer on arbitrary files. The input holds a section name, a key and a value
// (each ended by a backslash and one more byte, FuzzedDataProvider's way) and then the whole file.
//
// A write that reports failure leaves the file as it was. A write that reports success reads back
// as the value written, changes nothing when made a second time, leaves no temporary file beside
// the file, and keeps every other line: the old file and the new one differ in one place only,
// where at most the key's own line went and at most a section header and the key's line came.
// That last comparison is made on the bytes, so only for files without a byte-order mark; a file
// with one is kept in its own encoding, which this target does not decode.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_folder.h"
#include "platform/settings/profile_file.h"

namespace {

struct FileLine {
  std::string_view text;
  std::string_view end;  // CRLF, LF, CR, or nothing after an unterminated last line
};

std::vector<FileLine> SplitLines(std::string_view content) {
  std::vector<FileLine> lines;
  while (!content.empty()) {
    const std::size_t stop = std::min(content.find_first_of("\r\n"), content.size());
    std::size_t endLength = 0;
    if (stop < content.size())
      endLength = content.substr(stop).starts_with("\r\n") ? 2 : 1;
    lines.push_back({content.substr(0, stop), content.substr(stop, endLength)});
    content.remove_prefix(stop + endLength);
  }
  return lines;
}

// An old line is kept when its bytes are there; an unterminated last line may gain a line end.
bool Kept(const FileLine& old, const FileLine& now, bool oldIsLast) {
  return old.text == now.text && (old.end == now.end || (oldIsLast && old.end.empty()));
}

bool HasMark(std::string_view file) {
  return file.starts_with("\xFF\xFE") || file.starts_with("\xEF\xBB\xBF");
}

void CheckOtherLinesKept(std::string_view before, std::string_view after) {
  const std::vector<FileLine> old = SplitLines(before);
  const std::vector<FileLine> now = SplitLines(after);
  std::size_t same = 0;
  while (same < old.size() && same < now.size() &&
         Kept(old[same], now[same], same + 1 == old.size())) {
    ++same;
  }
  std::size_t tail = 0;
  while (tail < old.size() - same && tail < now.size() - same &&
         Kept(old[old.size() - 1 - tail], now[now.size() - 1 - tail], tail == 0)) {
    ++tail;
  }
  const std::size_t gone = old.size() - same - tail;
  const std::size_t added = now.size() - same - tail;
  FUZZ_CHECK(gone <= 1, "a line other than the key's was lost or changed");
  FUZZ_CHECK(added <= 2, "more lines came than a section header and the key's line");
  FUZZ_CHECK(gone == 0 || added == 1, "the key's line was not replaced by one line");
  for (std::size_t i = same; i < same + added; ++i)
    FUZZ_CHECK(now[i].end == "\r\n", "a line the writer made does not end with CRLF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(40);
  const std::string key = input.ConsumeRandomLengthString(40);
  const std::string value = input.ConsumeRandomLengthString(300);
  const std::string before = input.ConsumeRemainingBytesAsString();

  const std::string& path = fuzz::ScratchFile();
  FUZZ_CHECK(fuzz::PutFile(path, before), "cannot write the scratch file");

  if (!platform::WriteProfileString(path, section, key, value)) {
    FUZZ_CHECK(fuzz::FileContent(path) == before, "a failed write changed the file");
    FUZZ_CHECK(fuzz::FolderEntries() == 1, "a failed write left a file beside the file");
    return 0;
  }
  FUZZ_CHECK(fuzz::FolderEntries() == 1, "a write left a file beside the file");
  const std::string read =
      platform::GetProfileString(path, section, key, "\x01", value.size() + 256);
  FUZZ_CHECK(read == value, "a value written did not read back as itself");

  const auto after = fuzz::FileContent(path);
  FUZZ_CHECK(after.has_value(), "the written file cannot be read");
  if (!HasMark(before))
    CheckOtherLinesKept(before, *after);

  FUZZ_CHECK(platform::WriteProfileString(path, section, key, value),
             "the same write failed a second time");
  FUZZ_CHECK(fuzz::FileContent(path) == after, "writing the same value again changed the file");
  return 0;
}
